#include "host/config/host_root.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/scratch_folder.h"
#include "tests/support/thrown.h"

namespace rotaryn::host {
namespace {

using ::testing::HasSubstr;

// The next step after --init-root is to run the root as it is: its host.ini must load.
TEST(InitRoot, WritesAHostIniThatLoadsWithTheFoldersItNames) {
  ScratchFolder scratch;
  const std::string root = scratch / "new/root";
  ASSERT_TRUE(initRoot(root));

  HostConfig config = readHostConfig(root + "/host.ini", root);
  ASSERT_EQ(config.profiles.size(), 1u);
  const ProfileConfig& profile = config.profiles[0];
  EXPECT_EQ(profile.server.kind, ServerSource::Kind::kSimulated);
  EXPECT_TRUE(std::filesystem::is_directory(profile.gameFolderPosix));
  EXPECT_TRUE(
      std::filesystem::is_directory(root + "/profiles/" + profile.profileFolder + "/settings"));
  EXPECT_TRUE(std::filesystem::exists(root + "/settings/config.ini"));

  // Its comments say how to save it.
  const std::string text = scratch.read("new/root/host.ini");
  EXPECT_THAT(text, HasSubstr("Windows-1252"));
  EXPECT_THAT(text, HasSubstr("byte-order mark"));
  for (unsigned char c : text) EXPECT_LT(c, 0x80) << "the file itself is plain ASCII";

  int exitCode = 0;
  EXPECT_TRUE(loadRoot(root, exitCode).has_value());
  EXPECT_EQ(exitCode, 0);
}

TEST(InitRoot, KeepsAnExistingHostIniAndRefusesAFileInTheRootsPlace) {
  ScratchFolder scratch;
  const std::string mine = "[Profile 9]\r\n; mine, not to be touched\r\n";
  scratch.write("root/host.ini", mine);
  EXPECT_FALSE(initRoot(scratch / "root"));
  EXPECT_EQ(scratch.read("root/host.ini"), mine);
  EXPECT_TRUE(scratch.exists("root/Plugins"));
  EXPECT_FALSE(scratch.exists("root/games"));

  scratch.write("file", "");
  EXPECT_THAT(thrownBy<std::runtime_error>([&] { initRoot(scratch / "file"); }),
              HasSubstr(scratch / "file"));
}

// host.ini is Windows-1252; the folders it names are made under their UTF-8 names, which the
// plug-in's file system finds from the Windows-1252 names it is given.
TEST(LayOutRoot, MakesTheFoldersHostIniNamesUnderTheirUtf8Names) {
  ScratchFolder root;
  HostConfig config = parseHostConfig(
      "[Host]\nSimulator = bin/d\xE9mo-sim\n"
      "[Profile 1]\nServer = simulated\nGameFolder = jeux/caf\xE9\nProfileFolder = \xE9t\xE9\n"
      "HostText0 = Caf\xE9\n",
      "host.ini", root.path());
  layOutRoot(root.path(), config.profiles);

  EXPECT_EQ(config.simulator, "bin/d\xC3\xA9mo-sim");
  const ProfileConfig& profile = config.profiles.at(0);
  EXPECT_EQ(profile.gameFolderPosix, root / "jeux/caf\xC3\xA9/");
  EXPECT_EQ(profile.profileFolder, "\xE9t\xE9");  // as the plug-in gets it
  EXPECT_EQ(profile.hostTexts[0], "Caf\xE9");
  EXPECT_TRUE(root.exists("jeux/caf\xC3\xA9"));
  EXPECT_TRUE(root.exists("profiles/\xC3\xA9t\xC3\xA9/settings"));
}

// A killed writer's temporaries go at the next start; a live writer's, and look-alikes, stay.
TEST(RemoveStaleTemporaries, RemovesOnlyThoseOfWritersThatAreGone) {
  ScratchFolder root;
  const pid_t gone = [] {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
  }();
  const std::string dead = ".lastsettings.ini.tmp" + std::to_string(gone) + ".3";
  const std::string live = ".Maps.ini.tmp" + std::to_string(::getppid()) + ".1";
  root.write("profiles/one/settings/" + dead, "[Maps]\r\ntkS");
  root.write("Plugins/" + live, "half");
  root.write("games/one/map.tmp12.bms", "a map");
  root.write("profiles/one/settings/lastsettings.ini", "[Maps]\r\n");

  EXPECT_EQ(removeStaleTemporaries(root.path()), 1);
  EXPECT_FALSE(root.exists("profiles/one/settings/" + dead));
  EXPECT_TRUE(root.exists("Plugins/" + live));
  EXPECT_TRUE(root.exists("games/one/map.tmp12.bms"));
  EXPECT_TRUE(root.exists("profiles/one/settings/lastsettings.ini"));
}

}  // namespace
}  // namespace rotaryn::host
