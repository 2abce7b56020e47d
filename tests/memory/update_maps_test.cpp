#include "memory/update_maps.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "memory/server_rotation.h"
#include "platform/ini_file.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = WindowFixture::kProfile;
constexpr int kMaps = 20;
sim::RotationEntry newEntry(int k) {
  return {(k + 3) % 9, k % 3 == 0, "NEW_" + std::to_string(k) + ".BMS", "New " + std::to_string(k)};
}

std::vector<sim::RotationEntry> newRotation(int count) {
  std::vector<sim::RotationEntry> entries;
  for (int k = 0; k < count; ++k) entries.push_back(newEntry(k));
  return entries;
}

std::string entryText(const sim::RotationEntry& entry) {
  return std::to_string(entry.gameType) + "[-]" + (entry.custom ? "1" : "0") + "[-]" +
         entry.missionFile;
}

// One profile's window on an in-process server, ready to press Update Maps.
class Scene {
 public:
  // The window on a server running `old`, with `fresh` in CurrentList and the grid.
  void load(const std::vector<sim::RotationEntry>& old,
            const std::vector<sim::RotationEntry>& fresh) {
    host.load({.rotation = old});
    show(fresh);
    // Limits other than the server's, so that the first replace of the file changes it.
    window().txtTdm.text = "45";
    original = settingsBytes();
    host.server().clearClientWrites();
    host.dialogs.clearRecords();
  }
  void show(const std::vector<sim::RotationEntry>& entries) {
    CurrentListTables& list = host.module.currentList;
    list = CurrentListTables{};
    for (size_t k = 0; k < entries.size(); ++k) {
      const std::string key = std::to_string(k);
      list.maps.add(key, {entries[k].displayName, entries[k].missionFile,
                          std::to_string(entries[k].gameType), entries[k].custom ? "1" : "0"});
    }
    host.window().FillCurrentGrid();
  }

  frmRotarynMaps& window() { return host.window(); }
  std::string settingsBytes() const {
    return host.scratch.read(PluginFixture::settingsFolderOnDisk(kProfile) + "/lastsettings.ini");
  }
  // What key-by-key writes of these keys leave in a file that held `before`.
  std::string keyByKey(const std::string& before,
                       const std::vector<std::pair<std::string, std::string>>& keys) {
    host.scratch.write("reference.ini", before);
    IniFile ini(host.disk);
    for (const auto& [key, value] : keys)
      ini.write(host.root() + "\\reference.ini", "Maps", key, value);
    return host.scratch.read("reference.ini");
  }
  std::vector<std::pair<std::string, std::string>> limitKeys(int rows) const {
    const frmRotarynMaps& window = *host.module.window;
    return {{"tkScore", window.txtTkoth.text.get()},
            {"dmScore", window.txtTdm.text.get()},
            {"fbScore", window.txtFb.text.get()},
            {"mapcount", std::to_string(rows - 1)}};
  }
  std::vector<std::pair<std::string, std::string>> mapKeys(
      const std::vector<sim::RotationEntry>& entries) const {
    std::vector<std::pair<std::string, std::string>> keys;
    for (size_t k = 0; k < entries.size(); ++k) {
      keys.emplace_back("map" + std::to_string(k), entryText(entries[k]));
    }
    return keys;
  }

  std::pair<int32_t, int32_t> counts() {
    sim::ServerModel& server = host.server();
    return {server.readLong(server.rotationPointer() + sim::kHeaderCountOffset),
            server.readLong(server.rotationPointer() + sim::kHeaderCountCopyOffset)};
  }
  WindowFixture host;
  std::string original;
};

TEST(UpdateMaps, OverALongerRotationIsReadBackIdenticallyAndRecordedAsTyped) {
  Scene scene;
  WindowFixture& host = scene.host;
  const auto fresh = newRotation(kMaps);
  scene.load(WindowFixture::rotationOf(30), fresh);
  host.server().setCurrentPosition(7);
  host.window().txtTkoth.text = "2.5";
  host.window().txtFb.text = "";

  host.release(host.window().cmdUpdate);

  EXPECT_EQ(host.boxes("Success", "Map List updated successfully."), 1);
  EXPECT_EQ(host.dialogs.boxes().size(), 1u);
  EXPECT_EQ(host.server().rotation(), fresh);
  EXPECT_EQ(scene.counts(), std::make_pair(kMaps, kMaps));
  EXPECT_EQ(host.server().currentPosition(), 7);
  EXPECT_TRUE(host.server().checkRotation().empty());
  // Stale keys of the longer list stay; the rest is what key-by-key writes leave.
  auto keys = scene.limitKeys(kMaps);
  for (auto& key : scene.mapKeys(fresh)) keys.push_back(key);
  EXPECT_EQ(scene.settingsBytes(), scene.keyByKey(scene.original, keys));
  EXPECT_NE(scene.settingsBytes().find("map29=2[-]1[-]MAP_29.BMS\r\n"), std::string::npos);
  EXPECT_NE(scene.settingsBytes().find("tkScore=2.5\r\n"), std::string::npos);

  GetMapList(host.module, kProfile);
  host.window().FillCurrentGrid();
  std::vector<std::string> readBack = host.currentListRows();
  scene.show(fresh);
  EXPECT_EQ(readBack, host.currentListRows());
}

TEST(UpdateMaps, UnnamedEntriesStayOutOfTheServerButNotOutOfTheFile) {
  Scene scene;
  WindowFixture& host = scene.host;
  auto fresh = newRotation(4);
  fresh[1].displayName = "";
  scene.load(WindowFixture::rotationOf(6), fresh);

  cmdUpdateProc_Click(host.module, true);

  EXPECT_TRUE(host.dialogs.boxes().empty());
  EXPECT_EQ(host.server().rotation(),
            (std::vector<sim::RotationEntry>{fresh[0], fresh[2], fresh[3]}));
  // Custom flags in both places follow CurrentList: slot 2 holds entry 3, a custom map.
  EXPECT_EQ(host.server().readLong(host.server().layout().slotAddress(2) + sim::kSlotCustomOffset),
            1);
  EXPECT_EQ(IniFile(host.files)
                .read(host.settingsFolder(kProfile) + "\\lastsettings.ini", "Maps", "map1"),
            entryText(fresh[1]));
}

TEST(UpdateMaps, RefusalsWriteNothingAndSpeakOnlyWhenNotSilent) {
  Scene scene;
  WindowFixture& host = scene.host;
  scene.load(WindowFixture::rotationOf(kMaps), newRotation(kMaps));
  const auto old = host.server().rotation();
  const std::string notNow = "The games current state does not permit this action!";

  for (int32_t state : {sim::kStateBetweenGames, sim::kStateEndOfGame}) {
    host.server().setLong("GameState", state);
    cmdUpdateProc_Click(host.module, true);
    EXPECT_TRUE(host.dialogs.boxes().empty());
    host.release(host.window().cmdUpdate);
    EXPECT_EQ(host.boxes("Failed!", notNow), 1);
    host.dialogs.clearRecords();
  }
  host.server().setLong("GameState", sim::kStateRunningToo);
  scene.show(newRotation(256));
  cmdUpdateProc_Click(host.module, true);
  EXPECT_TRUE(host.dialogs.boxes().empty());
  cmdUpdateProc_Click(host.module, false);
  ASSERT_EQ(host.dialogs.boxes().size(), 1u);
  EXPECT_EQ(host.dialogs.boxes()[0].title, "Failed!");
  EXPECT_NE(host.dialogs.boxes()[0].text.find("256"), std::string::npos);

  EXPECT_TRUE(host.server().clientWrites().empty());
  EXPECT_EQ(host.server().rotation(), old);
  EXPECT_EQ(scene.settingsBytes(), scene.original);

  // 255 named maps and an unnamed one fill every slot, and no more.
  auto full = newRotation(256);
  full[100].displayName = "";
  scene.show(full);
  cmdUpdateProc_Click(host.module, true);
  EXPECT_EQ(scene.counts(), std::make_pair(255, 255));
  EXPECT_EQ(host.server().rotation().back(), full[255]);
  EXPECT_EQ(host.failuresOf("cmdUpdateProc"), 0);
}

}  // namespace
}  // namespace rotaryn
