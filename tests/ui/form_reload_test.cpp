#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

// No file, or a display time outside 1..9: 45 seconds shown, and the file is not rewritten.
TEST(FormReload, WithoutAUsableDisplayTimeShowsNineWithoutWritingTheFile) {
  for (std::string value : {"", "0", "10", "soon"}) {
    WindowFixture host;
    std::string ini = "[Autoload]\r\nprofile1=1\r\n[DisplayTime]\r\nprofile1=" + value + "\r\n";
    if (!value.empty()) host.writeMapsIni(ini);
    frmRotarynMaps& w = host.load();
    EXPECT_EQ(w.sldTimer.value.get(), 9) << value;
    EXPECT_EQ(w.Label15.caption.get(), "45 Secs") << value;
    EXPECT_EQ(w.chkAutoLoad.value.get(), value.empty() ? 0 : 1);
    EXPECT_EQ(host.mapsIni(), value.empty() ? "" : ini) << value;
  }
}

TEST(FormReload, ReadOnlyMapsIniStillLoadsWithDefaultsAndLogsTheRefusedWrites) {
  WindowFixture host;
  host.writeMapsIni("[Other]\r\n");
  ::chmod((host.scratch / "Plugins/Maps.ini").c_str(), 0444);
  frmRotarynMaps& w = host.load();
  EXPECT_EQ(host.failuresOf("Form_Reload"), 0);
  EXPECT_EQ(w.chkAutoLoad.value.get(), 0);
  EXPECT_EQ(w.Label15.caption.get(), "45 Secs");
  EXPECT_EQ(host.mapsIni(), "[Other]\r\n");
  std::string log = host.scratch.read("logs/errors.log");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);  // Autoload, DisplayTime
  EXPECT_THAT(log, ::testing::HasSubstr("Plugins\\Maps.ini (file is read-only)"));
}

TEST(FormReload, MissingEntriesAreWrittenAsDefaultsAndOddAutoloadCountsAsOff) {
  WindowFixture host;
  host.writeMapsIni("[Autoload]\r\nprofile1=yes\r\n[DisplayTime]\r\nprofile2=4\r\n");
  frmRotarynMaps& w = host.load();
  EXPECT_EQ(w.chkAutoLoad.value.get(), 0);
  EXPECT_EQ(w.Label15.caption.get(), "45 Secs");
  IniFile ini(host.files);
  std::string path = host.root() + "\\Plugins\\Maps.ini";
  EXPECT_EQ(ini.read(path, "Autoload", "profile1"), "yes");
  EXPECT_EQ(ini.read(path, "DisplayTime", "profile1"), "9");

  ini.write(path, "DisplayTime", "profile1", "4");
  w.Form_Reload();
  EXPECT_EQ(w.sldTimer.value.get(), 4);
  EXPECT_EQ(w.Label15.caption.get(), "20 Secs");
}

TEST(FormReload, SwitchingBetweenBuildsShowsEachProfilesOwnRotationAndLimitBoxes) {
  WindowFixture host;
  sim::ServerOptions affiliate;
  affiliate.build = sim::ServerBuild::kAffiliate;
  affiliate.rotation = {{4, false, "AFF_A.BMS", "Aff A"},
                        {7, true, "AFF_B.BMS", "Aff B"},
                        {8, false, "AFF_C.BMS", "Aff C"}};
  frmRotarynMaps& w = host.load({.rotation = WindowFixture::rotationOf(2), .maxKills = 35});
  std::vector<std::string> standardRows = host.gridRows(w.mfgCurrent);
  host.addProfile(2, affiliate);
  w.Form_Reload();

  EXPECT_EQ(host.gridRows(w.mfgCurrent),
            (std::vector<std::string>{"Aff A <AFF_A.BMS>|4|0", "Aff B <AFF_B.BMS>|7|1",
                                      "Aff C <AFF_C.BMS>|8|0"}));
  EXPECT_EQ(host.gridRows(w.mfgCurrent), host.currentListRows());
  EXPECT_FALSE(w.txtTdm.enabled.get());
  EXPECT_EQ(w.txtTdm.text.get(), "");

  host.registerAgain(WindowFixture::kProfile);
  w.Form_Reload();
  EXPECT_EQ(host.gridRows(w.mfgCurrent), standardRows);
  EXPECT_EQ(host.gridRows(w.mfgCurrent), host.currentListRows());
  for (TextBox* box : {&w.txtTkoth, &w.txtTdm, &w.txtFb}) {
    EXPECT_TRUE(box->enabled.get()) << box->name();
    EXPECT_EQ(box->toolTipText.get(), "") << box->name();
  }
  EXPECT_EQ(w.txtTdm.text.get(), "35");
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

}  // namespace
}  // namespace rotaryn
