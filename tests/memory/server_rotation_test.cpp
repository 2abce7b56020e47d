#include "memory/server_rotation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/ini_file.h"
#include "tests/support/ui_window_fixture.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = 1;

std::vector<sim::RotationEntry> rotationOf(int count) {
  return WindowFixture::rotationOf(count);
}

class ServerRotation : public ::testing::Test {
 protected:
  sim::ServerModel& serverWith(std::vector<sim::RotationEntry> rotation) {
    return host.addProfile(kProfile, {.rotation = std::move(rotation)});
  }
  std::string lastSetting(const std::string& key) {
    return IniFile(host.files)
        .read(host.settingsFolder(kProfile) + "\\lastsettings.ini", "Maps", key, "<none>");
  }
  bool lastSettingsExist() {
    return host.scratch.exists(PluginFixture::settingsFolderOnDisk(kProfile) + "/lastsettings.ini");
  }
  void clearMarker(sim::ServerModel& server, int32_t slot) {
    server.writeText(server.layout().slotAddress(slot) + sim::kSlotMarkerOffset, "");
  }
  const CurrentListTables& list() const { return host.module.currentList; }

  PluginFixture host;
};

TEST_F(ServerRotation, LongRotationIsCutTo255InServerListAndFile) {
  sim::ServerModel& server = serverWith(rotationOf(300));
  GetMapList(host.module, kProfile);

  EXPECT_EQ(server.rotationCount(), 255);
  EXPECT_EQ(server.readLong(server.rotationPointer() + sim::kHeaderCountCopyOffset), 255);
  ASSERT_EQ(list().maps.count(), 255);
  EXPECT_EQ(list().maps.item("254").name, "Map 254");
  EXPECT_EQ(list().maps.item(255L).file, "MAP_254.BMS");
  EXPECT_EQ(list().maps.item("254").type, "2");
  EXPECT_EQ(list().maps.item("253").custom, "1");
  EXPECT_EQ(lastSetting("mapcount"), "299");
  EXPECT_EQ(lastSetting("map254"), "2[-]0[-]MAP_254.BMS");
  EXPECT_EQ(lastSetting("map255"), "<none>");
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(ServerRotation, UnmarkedSlotsTakeTheRunningGameType) {
  sim::ServerModel& server = serverWith(rotationOf(4));
  clearMarker(server, 1);
  clearMarker(server, 3);
  server.setByte("GameType", 7);
  GetMapList(host.module, kProfile);
  EXPECT_EQ(columnOf(list().maps, &CurrentMap::type),
            (std::vector<std::string>{"0", "7", "2", "7"}));
}

TEST_F(ServerRotation, RecordsLimitsAndRotationWithTheirFallbacks) {
  sim::ServerModel& server = serverWith(rotationOf(3));
  server.setLong("MaxKills", 25);
  server.setLong("KothLimit", 9);
  server.setLong("CMaxKills", 0);
  server.setLong("CGameScore", 0);
  server.setLong("CKothLimit", 12);
  server.setText("CurMap", "Map 1");
  host.module.window = std::make_unique<frmRotarynMaps>(host.module);
  GetMapList(host.module, kProfile);

  EXPECT_EQ(lastSetting("dmScore"), "25");
  EXPECT_EQ(lastSetting("fbScore"), "25");  // the flagball fallback is MaxKills too
  EXPECT_EQ(lastSetting("tkScore"), "12");
  EXPECT_EQ(lastSetting("mapcount"), "2");
  EXPECT_EQ(lastSetting("map0"), "0[-]0[-]MAP_0.BMS");
  EXPECT_EQ(lastSetting("map1"), "1[-]1[-]MAP_1.BMS");
  EXPECT_EQ(host.module.window->lblCurMap.caption.get(), "Map playing: Map 1");
}

TEST_F(ServerRotation, AffiliateServerRotationIsReadAndItsFileKeepsTheLimitsItHad) {
  host.addProfile(kProfile, {.build = sim::ServerBuild::kAffiliate, .rotation = rotationOf(3)});
  host.scratch.write(PluginFixture::settingsFolderOnDisk(kProfile) + "/lastsettings.ini",
                     "[Maps]\r\ndmScore=44\r\n");
  GetMapList(host.module, kProfile);

  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
  EXPECT_EQ(columnOf(list().maps, &CurrentMap::file),
            (std::vector<std::string>{"MAP_0.BMS", "MAP_1.BMS", "MAP_2.BMS"}));
  EXPECT_EQ(lastSetting("dmScore"), "44");
  EXPECT_EQ(lastSetting("tkScore"), "<none>");
  EXPECT_EQ(lastSetting("mapcount"), "2");
  EXPECT_EQ(lastSetting("map2"), "2[-]0[-]MAP_2.BMS");
}

TEST_F(ServerRotation, AutoloadLeavesLastSettingsUntouched) {
  serverWith(rotationOf(3));
  host.scratch.write("Plugins/Maps.ini", "[Autoload]\r\nprofile1=1\r\n");
  GetMapList(host.module, kProfile);
  EXPECT_FALSE(lastSettingsExist());
  EXPECT_EQ(list().maps.count(), 3);
}

TEST_F(ServerRotation, ShorterRereadKeepsStaleKeysAndEmptyRotationStillGivesEntryZero) {
  sim::ServerModel& server = serverWith(rotationOf(3));
  GetMapList(host.module, kProfile);
  server.setRotationCount(0);
  GetMapList(host.module, kProfile);
  ASSERT_EQ(list().maps.count(), 1);
  EXPECT_EQ(list().maps.item("0").file, "MAP_0.BMS");
  EXPECT_EQ(lastSetting("mapcount"), "-1");
  EXPECT_EQ(lastSetting("map2"), "2[-]0[-]MAP_2.BMS");
}

// As Windows' writer: no failure, the file as it was; one error-log line per refused write.
TEST_F(ServerRotation, ReadOnlyLastSettingsIsLoggedNotReported) {
  serverWith(rotationOf(2));
  std::string file = PluginFixture::settingsFolderOnDisk(kProfile) + "/lastsettings.ini";
  host.scratch.write(file, "[Maps]\r\nmapcount=7\r\n");
  ::chmod((host.scratch / file).c_str(), 0444);
  GetMapList(host.module, kProfile);

  EXPECT_EQ(host.failuresOf("GetMapList"), 0);
  EXPECT_EQ(list().maps.count(), 2);
  EXPECT_EQ(host.scratch.read(file), "[Maps]\r\nmapcount=7\r\n");
  std::string log = host.scratch.read("logs/errors.log");
  // The limits, the count and both maps go in one refused replace: one line.
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
  EXPECT_THAT(log, ::testing::HasSubstr("Error 70\tPermission denied: " +
                                        host.settingsFolder(kProfile) + "\\lastsettings.ini"));
}

TEST_F(ServerRotation, NextMapCodeFollowsTheRotationAndWrapsToSlotZero) {
  sim::ServerModel& server =
      serverWith({{3, false, "A.BMS", "A"}, {5, false, "B.BMS", "B"}, {8, false, "C.BMS", "C"}});
  struct Case {
    int32_t position;
    int32_t nextType;
  };
  for (const Case& c : {Case{0, 5}, Case{1, 8}, Case{2, 3}, Case{9, 3}}) {
    server.setCurrentPosition(c.position);
    EXPECT_EQ(GetNextMapCode(host.module, kProfile), c.nextType) << c.position;
  }
  clearMarker(server, 2);
  server.setByte("GameType", 6);
  server.setCurrentPosition(1);
  EXPECT_EQ(GetNextMapCode(host.module, kProfile), 6);
}

TEST_F(ServerRotation, LostServerIsReportedAndGivesNoNextType) {
  serverWith(rotationOf(3));
  host.memory->removeServer(1000 + kProfile);
  EXPECT_EQ(GetNextMapCode(host.module, kProfile), 0);
  EXPECT_EQ(host.failuresOf("GetNextMapCode"), 1);
}

}  // namespace
}  // namespace rotaryn
