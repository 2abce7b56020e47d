#include "store/map_list.h"

#include <gtest/gtest.h>

#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr const char* kCrLf = "\r\n";

class MapLists : public ::testing::Test {
 protected:
  void SetUp() override {
    host.addCustomMap("DUNE.bms", "Dune Patrol", 2);
    w = &host.load({.rotation = {{0, false, "DMM_01A.BMS", "City Madness"},
                                 {0, false, "DMM_01E.BMS", "Cracked"}}});
  }
  std::string listPath(const std::string& name) const {
    return host.settingsFolder(WindowFixture::kProfile) + "\\" + name;
  }
  void writeList(const std::string& name, const std::string& bytes) {
    host.scratch.write(WindowFixture::settingsFolderOnDisk(WindowFixture::kProfile) + "/" + name,
                       bytes);
  }
  // The text of the plain box that names maps not found, or "" when none opened.
  std::string missingBox() const {
    for (const auto& box : host.dialogs.boxes()) {
      if (box.title == kPlainBoxTitle) return box.text;
    }
    return "";
  }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
};

TEST_F(MapLists, SavedRowsLoadBackInOrderWithStockRowsGreyAgain) {
  // Stock, custom and stock again, so the flag follows each row's colour.
  const int custom = w->mfgList.Rows() - 1;
  ASSERT_EQ(w->mfgList.TextMatrix(custom, 0), "Dune Patrol <DUNE.bms>");
  host.select(w->mfgList, custom, custom);
  host.release(w->cmdAdd);
  const std::vector<std::string> saved = host.gridRows(w->mfgCurrent);
  ASSERT_EQ(saved.size(), 3u);

  // While the file is written or read the window is disabled under the hourglass.
  std::vector<std::string> seen;
  auto state = [&] {
    return std::string(w->isEnabled() ? " enabled" : " disabled") +
           (host.dialogs.busy() ? " busy" : "");
  };
  host.files.beforeEveryCall = [&](std::string_view call, const std::string& path) {
    if (path.ends_with("evening.mpl") && (call == "ReplaceAll" || call == "ReadAll")) {
      seen.push_back(std::string(call) + state());
    }
  };
  host.dialogs.onMessageBox(
      [&](const ScriptedDialogs::MessageBoxRecord& box) { seen.push_back(box.title + state()); });

  host.dialogs.queueSaveFile(listPath("evening.mpl"));
  host.release(w->cmdSave);
  EXPECT_EQ(host.boxes("Success", kMapListSaved), 1);
  const std::string written = host.scratch.read(
      WindowFixture::settingsFolderOnDisk(WindowFixture::kProfile) + "/evening.mpl");
  EXPECT_EQ(written.substr(0, 21), "0[-]0[-]DMM_01A.BMS\r\n");
  EXPECT_NE(written.find("0[-]1[-]DUNE.bms\r\n"), std::string::npos);

  host.select(w->mfgCurrent, 0, 1);
  host.release(w->cmdRemove);
  ASSERT_EQ(w->mfgCurrent.Rows(), 1);

  host.dialogs.queueOpenFile(listPath("evening.mpl"));
  host.release(w->cmdLoad);
  EXPECT_EQ(host.gridRows(w->mfgCurrent), saved);
  EXPECT_EQ(host.currentListRows(), saved);
  EXPECT_EQ(w->lblSnum.caption.get(), "3 / 255");
  EXPECT_EQ(seen, (std::vector<std::string>{"ReplaceAll disabled busy", "Success enabled",
                                            "ReadAll disabled busy"}));
  EXPECT_TRUE(w->isEnabled());
  EXPECT_FALSE(host.dialogs.busy());
  EXPECT_EQ(host.dialogs.fileDialogs().back().request.initialDir,
            host.settingsFolder(WindowFixture::kProfile));
}

TEST_F(MapLists, LinesAreTrimmedSkippedCountedOrReportedMissing) {
  writeList("mixed.mpl", std::string("0[-]0[-] DMM_01A.BMS ") + kCrLf +  // blanks around the name
                             "0[-]0" + kCrLf +                           // separator too early
                             kCrLf +                                     // empty
                             "10[-]1" + kCrLf +                          // two fields: counted
                             "1[-]0[-]TDMM_01A.BMS[-]x" + kCrLf +        // four fields: counted
                             "0[-]1[-]DMM_01A.BMS" + kCrLf +             // stock map flagged custom
                             "0[-]1[-]DUNE.bms\n");                      // LF alone ends a line too
  w->LoadFile(listPath("mixed.mpl"));

  EXPECT_EQ(host.currentListRows().size(), 2u);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(0, 0), "City Madness <DMM_01A.BMS>");
  EXPECT_EQ(w->mfgCurrent.TextMatrix(1, 0), "Dune Patrol <DUNE.bms>");
  EXPECT_EQ(missingBox(), std::string(kMapListMissing) + kCrLf + kCrLf + "DMM_01A.BMS" + kCrLf +
                              kCrLf + "Unable to parse 2 other map listings!");
  EXPECT_EQ(w->lblSnum.caption.get(), "2 / 255");

  host.dialogs.clearRecords();
  writeList("bad.mpl", std::string("10[-]1") + kCrLf + "0[-]0[-]DMM_01A.BMS" + kCrLf);
  w->LoadFile(listPath("bad.mpl"));
  EXPECT_EQ(missingBox(),
            std::string(kMapListMissing) + kCrLf + kCrLf + "Unable to parse 1 map listings!");
}

TEST_F(MapLists, AnEmptyOrUnusableFileEmptiesTheListButKeepsTheGrid) {
  const std::vector<std::string> before = host.gridRows(w->mfgCurrent);
  writeList("empty.mpl", "");
  w->LoadFile(listPath("empty.mpl"));
  EXPECT_EQ(host.boxes("Error!", kMapListInvalid), 1);
  EXPECT_TRUE(host.module.currentList.maps.empty());
  EXPECT_EQ(host.gridRows(w->mfgCurrent), before);
  EXPECT_EQ(w->lblSnum.caption.get(), "0 / 255");

  writeList("flag.mpl", std::string("0[-]maybe[-]DMM_01A.BMS") + kCrLf);
  w->LoadFile(listPath("flag.mpl"));
  EXPECT_EQ(host.failuresOf("LoadFile"), 1);

  w->LoadFile(listPath("nowhere.mpl"));
  EXPECT_EQ(host.failuresOf("LoadFile"), 2);
}

}  // namespace
}  // namespace rotaryn
