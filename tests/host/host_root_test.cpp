#include "host/host_root.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

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
  try {
    initRoot(scratch / "file");
    FAIL() << "a file was taken for a root";
  } catch (const std::runtime_error& error) {
    EXPECT_THAT(error.what(), HasSubstr(scratch / "file"));
  }
}

}  // namespace
}  // namespace rotaryn::host
