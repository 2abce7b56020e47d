#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "plugin/module.h"
#include "store/autoload.h"
#include "store/map_settings.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

using sim::RotationEntry;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kLastSettings = "profiles/profile1/settings/lastsettings.ini";
constexpr const char* kMarker = "settings/noautoload_profile1.asf";

std::string settingsText(const std::vector<std::string>& lines) {
  std::string text = "[Maps]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A profile whose Maps.ini turns autoload on, with a last-settings file to restore from.
class Autoload : public ::testing::Test {
 protected:
  Autoload() {
    host.writeMapsIni("[Autoload]\r\nprofile1=1\r\n[DisplayTime]\r\nprofile1=9\r\n");
    host.scratch.write(kLastSettings,
                       settingsText({"tkScore=7", "dmScore=45", "fbScore=12", "mapcount=1",
                                     "map0=1[-]0[-]TDMK_01A.BMS", "map1=0[-]0[-]DMM_01E.BMS"}));
  }

  frmRotarynMaps& load(int32_t state = sim::kStateRunning) {
    return host.load({.initialState = state});
  }
  std::vector<std::string> serverFiles() {
    std::vector<std::string> files;
    for (const RotationEntry& entry : host.server().rotation()) {
      files.push_back(std::to_string(entry.gameType) + ":" + entry.missionFile);
    }
    return files;
  }
  std::vector<int32_t> limits() {
    return {host.server().longAt("CKothLimit"), host.server().longAt("CMaxKills"),
            host.server().longAt("CGameScore")};
  }

  WindowFixture host;
};

TEST_F(Autoload, RestoresRotationAndLimitsIntoARunningServerOnce) {
  frmRotarynMaps& w = load();
  EXPECT_THAT(serverFiles(), ElementsAre("1:TDMK_01A.BMS", "0:DMM_01E.BMS"));
  EXPECT_THAT(limits(), ElementsAre(7, 45, 12));
  EXPECT_EQ(w.txtTdm.text.get(), "45");
  // Update Maps recorded the restored limits, not what the boxes showed before.
  const std::string recorded = host.scratch.read(kLastSettings);
  EXPECT_THAT(recorded, HasSubstr("tkScore=7\r\ndmScore=45\r\nfbScore=12\r\n"));
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);

  // A second load of the same profile only reads the server, whatever the file now says.
  host.scratch.write(kLastSettings, settingsText({"mapcount=0", "map0=0[-]0[-]DMM_02A.BMS"}));
  w.Form_Reload();
  EXPECT_THAT(serverFiles(), ElementsAre("1:TDMK_01A.BMS", "0:DMM_01E.BMS"));
  EXPECT_EQ(w.mfgCurrent.Rows(), 2);

  // Forcing it (as a remote map list does) restores again.
  AutoLoadMap(host.module, WindowFixture::kProfile, true);
  EXPECT_THAT(serverFiles(), ElementsAre("0:DMM_02A.BMS"));
}

TEST_F(Autoload, BadLimitsGapsOddEntriesAndUnknownMaps) {
  host.scratch.write(kLastSettings,
                     settingsText({"dmScore=abc", "tkScore=", "fbScore=0.5", "mapcount=5",
                                   "map0=0[-]0[-] DMM_01E.BMS ", "map2=1[-]0[-]TDMK_01B.BMS",
                                   "map3=0[-]0", "map4=0[-]0[-]DMM_01E.BMS[-]x",
                                   "map5=0[-]0[-]NOPE.BMS", "map6=0[-]0[-]DMM_02A.BMS"}));
  frmRotarynMaps& w = load();
  EXPECT_THAT(limits(), ElementsAre(10, 500, 20));
  // Index 1 missing, 3 and 4 malformed, 5 unknown, 6 beyond mapcount: two entries remain.
  EXPECT_THAT(serverFiles(), ElementsAre("0:DMM_01E.BMS", "1:TDMK_01B.BMS"));
  EXPECT_THAT(host.currentListRows(), ElementsAre(HasSubstr("DMM_01E.BMS"), HasSubstr("TDMK_01B")));
  EXPECT_EQ(w.lblSnum.caption.get(), "2 / 255");
}

// "mapcount" is the last index as the number it is, not rounded to a whole one.
TEST(AutoloadMapCount, VisitsEveryIndexUpToTheNumber) {
  for (auto [count, restored] :
       {std::pair{"1.5", 2u}, std::pair{"2", 3u}, std::pair{"0.4", 1u}, std::pair{"abc", 1u}}) {
    SCOPED_TRACE(count);
    WindowFixture host;
    host.writeMapsIni("[Autoload]\r\nprofile1=1\r\n");
    host.scratch.write(kLastSettings,
                       settingsText({std::string("mapcount=") + count, "map0=1[-]0[-]TDMK_01A.BMS",
                                     "map1=0[-]0[-]DMM_01E.BMS", "map2=0[-]0[-]DMM_02A.BMS"}));
    host.load({.initialState = sim::kStateRunning});
    EXPECT_EQ(host.server().rotation().size(), restored);
  }
}

TEST_F(Autoload, NothingRestorableReadsTheServerInsteadAndTriesAgainNextTime) {
  host.scratch.write(kLastSettings, settingsText({"mapcount=0", "map0=0[-]0[-]NOPE.BMS"}));
  frmRotarynMaps& w = load();
  EXPECT_THAT(serverFiles(),
              ElementsAre("0:DMM_01A.BMS", "1:TDMM_01A.BMS", "3:TKHM_01A.BMS", "8:FBM_01A.BMS"));
  EXPECT_EQ(w.mfgCurrent.Rows(), 4);
  // The three limits and the map capacity, no rotation.
  EXPECT_EQ(host.server().clientWrites().size(), 4u);
  EXPECT_EQ(host.module.AutoloadDone.at(1), 1);

  // Without the file nothing counts as done: the next load tries again.
  WindowFixture fresh;
  fresh.writeMapsIni("[Autoload]\r\nprofile1=1\r\n");
  fresh.load();
  EXPECT_EQ(fresh.module.AutoloadDone.at(1), 0);
}

TEST_F(Autoload, BetweenGamesWritesLimitsButNotTheRotationAndStillCountsAsDone) {
  load(sim::kStateBetweenGames);
  EXPECT_THAT(limits(), ElementsAre(7, 45, 12));
  EXPECT_EQ(host.server().rotation().size(), 4u);
  EXPECT_EQ(host.module.AutoloadDone.at(1), 1);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(Autoload, TheMarkerSkipsOnceAndIsDeletedEvenReadOnly) {
  host.scratch.write(kMarker, "");
  ::chmod((host.scratch / kMarker).c_str(), 0444);
  frmRotarynMaps& w = load();
  EXPECT_FALSE(host.scratch.exists(kMarker));
  EXPECT_EQ(host.server().rotation().size(), 4u);
  // None of the saved limits (7, 45, 12): the reload wrote the server's own that it shows.
  EXPECT_THAT(limits(), ElementsAre(0, 30, 30));
  EXPECT_EQ(w.txtTdm.text.get(), "30");
  EXPECT_EQ(w.mfgCurrent.Rows(), 4);
  EXPECT_EQ(host.module.AutoloadDone.at(1), 1);

  AutoLoadMap(host.module, WindowFixture::kProfile, true);
  EXPECT_THAT(serverFiles(), ElementsAre("1:TDMK_01A.BMS", "0:DMM_01E.BMS"));
}

TEST_F(Autoload, AffiliateServerGetsTheRotationWithoutLimits) {
  host.load({.build = sim::ServerBuild::kAffiliate});
  EXPECT_THAT(serverFiles(), ElementsAre("1:TDMK_01A.BMS", "0:DMM_01E.BMS"));
  EXPECT_EQ(host.failuresOf("AutoLoadMap"), 0);
}

TEST_F(Autoload, AFailingLimitWriteIsReportedAndLeavesTheRotationAlone) {
  // The server refuses the kill limit's value, as a protected page would.
  host.module.MemoryAccess = std::make_shared<HookedMemory>(
      host.module.MemoryAccess, [](std::string_view, int32_t, int32_t* written) {
        if (written != nullptr && *written == 45) raiseVbError(vberr::kPermissionDenied);
      });
  load();
  EXPECT_EQ(host.failuresOf("AutoLoadMap"), 1);
  EXPECT_EQ(host.server().rotation().size(), 4u);
  EXPECT_EQ(host.module.AutoloadDone.at(1), 0);
}

}  // namespace
}  // namespace rotaryn
