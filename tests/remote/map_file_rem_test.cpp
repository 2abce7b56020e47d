#include "remote/map_file_rem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/game_folder_files.h"
#include "formats/base64.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = 1;

class MapFileRem : public ::testing::Test {
 protected:
  MapFileRem() {
    host.scheduler.setWallClock(DateTime{2026, 12, 4, 20, 15, 3});
    host.addProfile(kProfile);
  }
  Variant pdat(int32_t index = kProfile) const { return host.remotePdat("Ann", 0, index); }
  int32_t upload(const std::string& data) {
    return AddFileRem(host.module, kProfile, pdat(), Variant(data));
  }
  int32_t remove(const std::string& name) {
    return DeleteFileRem(host.module, kProfile, pdat(), Variant(formats::encodeBase64(name)));
  }
  std::string game(const std::string& name) const { return host.scratch.read("game1/" + name); }
  void putGame(const std::string& name, const std::string& bytes) {
    host.scratch.write("game1/" + name, bytes);
  }
  std::string adminLog() const {
    return host.scratch.read("profiles/profile1/adminlogs/2026-12-04.txt");
  }
  // Every file and folder under the scratch folder (which holds the root), with its content.
  std::map<std::string, std::string> everything() const {
    std::map<std::string, std::string> seen;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(host.scratch.path())) {
      const std::string relative =
          std::filesystem::relative(entry.path(), host.scratch.path()).string();
      // The plug-in's own error log records each refusal.
      if (relative.starts_with("logs")) continue;
      seen[relative] = entry.is_regular_file() ? host.scratch.read(relative) : "<folder>";
    }
    return seen;
  }

  PluginFixture host;
};

TEST_F(MapFileRem, UploadWritesTheBytesAndLogsThePath) {
  EXPECT_EQ(upload("mymap.bms|66/77/83/0/255/"), 1);
  EXPECT_EQ(game("mymap.bms"), std::string("BMS\0\xFF", 5));
  // Replaces an earlier file; a list not ended by "/" loses its last byte; empty elements skip.
  EXPECT_EQ(upload("mymap.bms|1//2/3"), 1);
  EXPECT_EQ(game("mymap.bms"), "\x01\x02");
  EXPECT_EQ(upload("empty.bms|"), 1);
  EXPECT_TRUE(host.scratch.exists("game1/empty.bms"));
  const std::string path = host.gameFolder(kProfile) + "mymap.bms";
  EXPECT_EQ(adminLog().substr(0, adminLog().find("\r\n")),
            "[20:15:03][Rotaryn] Upload Map File (File: " + path + ") from Ann");
}

TEST_F(MapFileRem, AFailedUploadLeavesTheEarlierFile) {
  putGame("mymap.bms", "old");
  const std::vector<std::string> refused = {
      "mymap.bms|66/256/",   "mymap.bms|66/-1/", "mymap.bms|66/x/", "mymap.bms|66/1000/",
      "mymap.bms|66/77/300", "mymap.bms",        "mymap.bms|1/|2/", "|66/",
      "mymap.bms|6 6/",      "mymap.bms|0x41/",
  };
  for (const std::string& data : refused) EXPECT_EQ(upload(data), 0) << data;
  // The file system refuses the write itself.
  host.files.beforeCall = [](std::string_view, const std::string&) { raiseVbError(61); };
  EXPECT_EQ(upload("mymap.bms|66/"), 0);
  host.files.beforeCall = nullptr;
  EXPECT_EQ(game("mymap.bms"), "old");
  EXPECT_EQ(host.failuresOf("AddFileRem"), static_cast<int>(refused.size()) + 1);
  EXPECT_FALSE(host.scratch.exists("profiles/profile1/adminlogs"));
}

// Names that would reach outside the game folder, or another file than they say.
const std::vector<std::string>& hostileNames() {
  static const std::vector<std::string> names = {
      "",
      ".",
      "..",
      "...",
      "..\\victim.txt",
      "../victim.txt",
      "..\\..\\victim.txt",
      "../../victim.txt",
      "..\\profiles\\profile1\\settings\\lastsettings.ini",
      "sub/../../victim.txt",
      "sub\\..\\..\\victim.txt",
      "..%2fvictim.txt/..",
      "\\victim.txt",
      "/victim.txt",
      "/tmp/victim.txt",
      "\\\\server\\share\\victim.txt",
      "C:\\victim.txt",
      "C:victim.txt",
      "c:/victim.txt",
      "Z:",
      "victim.txt:stream",
      "CON",
      "nul.bms",
      "COM1.bms",
      "lpt9",
      "AUX.til",
      "prn.wac",
      "victim.bms.",
      "victim.bms ",
      std::string("victim\0.bms", 11),
      "victim\n.bms",
      "victim\r.bms",
      "victim\t.bms",
      "\x1b[31m.bms",
      "victim\x7f.bms",
      "vic*tim.bms",
      "vic?tim.bms",
      "vic<tim>.bms",
      "vic\"tim.bms",
      std::string(256, 'a'),
      std::string(300, 'a') + ".bms",
      "....//victim.txt",
      "..\\/victim.txt"};
  return names;
}

TEST_F(MapFileRem, HostileNamesTouchNothingAnywhere) {
  host.scratch.write("victim.txt", "keep");
  host.scratch.write("profiles/profile1/settings/lastsettings.ini", "keep");
  host.scratch.write("game1/sub/.keep", "");
  putGame("victim.bms", "keep");
  putGame("victim.til", "keep");
  const auto before = everything();
  int refusals = 0;
  for (const std::string& name : hostileNames()) {
    SCOPED_TRACE(testing::PrintToString(name));
    EXPECT_FALSE(gameFolderNameFault(name).empty());
    EXPECT_EQ(upload(name + "|66/77/83/"), 0);
    EXPECT_EQ(remove(name), 0);
    refusals += 2;
  }
  EXPECT_EQ(everything(), before);
  EXPECT_EQ(host.failuresOf("AddFileRem") + host.failuresOf("DeleteFileRem"), refusals);
  EXPECT_GE(hostileNames().size(), 30u);
}

TEST(GameFolderNames, PlainNamesAndCompanions) {
  for (const char* name : {"canyon.bms", "a..b.bms", ".hidden.bms", "CONSOLE.bms", "com10.bms",
                           "Map With Blanks.BMS", "caf\xe9.bms"}) {
    EXPECT_EQ(gameFolderNameFault(name), "") << name;
  }
  EXPECT_EQ(addedCompanionNames("canyon.night.bms"),
            (std::vector<std::string>{"canyon.til", "canyon.TIL", "canyon.wac", "canyon.WAC"}));
  EXPECT_EQ(deletedCompanionNames("canyon.night.bms"),
            (std::vector<std::string>{"canyon.night.til", "canyon.night.wac"}));
  EXPECT_TRUE(deletedCompanionNames(".bms").empty());
  EXPECT_TRUE(deletedCompanionNames("COM1xxxx").empty());
}

}  // namespace
}  // namespace rotaryn
