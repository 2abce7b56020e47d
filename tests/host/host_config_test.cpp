#include "host/config/host_config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

namespace rotaryn::host {
namespace {

using ::testing::HasSubstr;

constexpr const char* kRoot = "/srv/host";

TEST(HostConfig, ReadsEveryKindOfServerAndFillsWhatFollows) {
  HostConfig config = parseHostConfig(
      "; the servers of the evening\r\n"
      "[Host]\r\n"
      "AreaWidth = 9000\r\n"
      "\r\n"
      "[Profile 7]\r\n"
      "Server = pid 4242\r\n"
      "ServerType = DFBHD_AFF\r\n"
      "GameFolder = /games/dfbhd\r\n"
      "ProfileFolder = seven\r\n"
      "MessageTarget = 99\r\n"
      "HostText3 = kept text\r\n"
      "Delivery = none\r\n"
      "[profile 2]\r\n"
      "server = simulated --build affiliate --pack \"mod pack.pff\"\r\n"
      "gamefolder = games/two\r\n"
      "profilefolder = two\r\n"
      "SharedAdminLog = yes\r\n"
      "[Profile 3]\r\n"
      "Server = command wine64 C:\\dfbhd\\dfbhd.exe /w\r\n"
      "ServerType = DFBHD\r\n"
      "GameFolder = games/three/\r\n"
      "ProfileFolder = three\r\n"
      "StartupSeconds = 2.5\r\n"
      "[Profile 4]\r\n"
      "Server = find DFBHD.exe\r\n"
      "ServerType = DFBHD\r\n"
      "GameFolder = /games/four\r\n"
      "ProfileFolder = four\r\n",
      "host.ini", kRoot);

  EXPECT_EQ(config.areaWidthTwips, 9000);
  EXPECT_EQ(config.areaHeightTwips, 8400);
  ASSERT_EQ(config.profiles.size(), 4u);
  const ProfileConfig& two = config.profiles[0];
  EXPECT_EQ(two.index, 2);
  EXPECT_EQ(two.server.kind, ServerSource::Kind::kSimulated);
  EXPECT_EQ(two.server.build, sim::ServerBuild::kAffiliate);
  EXPECT_EQ(two.server.arguments,
            (std::vector<std::string>{"--build", "affiliate", "--pack", "mod pack.pff"}));
  EXPECT_EQ(two.serverType, "DFBHD_AFF");  // from the simulator's build
  EXPECT_EQ(two.gameFolderPosix, "/srv/host/games/two/");
  EXPECT_TRUE(two.sharedAdminLog);

  const ProfileConfig& three = config.profiles[1];
  EXPECT_EQ(three.server.kind, ServerSource::Kind::kCommand);
  EXPECT_EQ(three.server.arguments,
            (std::vector<std::string>{"wine64", "C:\\dfbhd\\dfbhd.exe", "/w"}));
  EXPECT_EQ(three.server.windowsProgram, "dfbhd.exe");
  EXPECT_DOUBLE_EQ(three.startupSeconds, 2.5);

  const ProfileConfig& four = config.profiles[2];
  EXPECT_EQ(four.server.kind, ServerSource::Kind::kFind);
  EXPECT_EQ(four.server.windowsProgram, "DFBHD.exe");

  const ProfileConfig& seven = config.profiles[3];
  EXPECT_EQ(seven.server.kind, ServerSource::Kind::kPid);
  EXPECT_EQ(seven.server.pid, 4242);
  EXPECT_EQ(seven.gameFolderPosix, "/games/dfbhd/");
  EXPECT_EQ(seven.messageTarget, 99);
  EXPECT_EQ(seven.hostTexts[1], "kept text");
  EXPECT_EQ(seven.delivery, host::CommandDelivery::kNone);
}

// Each malformed file is refused at the line that is wrong, saying why.
TEST(HostConfig, RefusesAMalformedFileWithLineAndReason) {
  const std::string profile =
      "[Profile 1]\nServer = simulated\nGameFolder = g\nProfileFolder = one\n";
  struct Case {
    std::string text;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"Server = simulated\n", 1, "before any section"},
      {"[Host]\nAreaWidth 9000\n", 2, "expected key = value"},
      {"[Host]\nAreaWidth = wide\n", 2, "AreaWidth needs a whole number"},
      {"[Host]\nColour = red\n", 2, "no key \"Colour\""},
      {"[Servers]\n", 1, "unknown section [Servers]"},
      {"[Profile 0]\n", 1, "a profile index needs a whole number from 1"},
      {profile + "[Profile 1]\n", 5, "profile 1 appears twice (first at line 1)"},
      {profile + "Server = pid 12\n", 5, "\"Server\" is set twice"},
      {"[Profile 1]\nServer = remote 1.2.3.4\n", 2, "simulated, pid, command or find"},
      {"[Profile 1]\nServer = find dfbhd\n", 2, "the file name of the Windows program"},
      {"[Profile 1]\nServer = pid twelve\n", 2, "Server = pid needs a whole number"},
      {"[Profile 1]\nServer = simulated --bild standard\n", 2, "no option \"--bild\""},
      {"[Profile 1]\nServer = simulated --build huge\n", 2, "standard or affiliate"},
      {"[Profile 1]\nServer = command \"wine dfbhd.exe\n", 2, "not closed"},
      {"[Profile 1]\nProfileFolder = a/b\n", 2, "one folder name"},
      {"[Profile 1]\nSharedAdminLog = maybe\n", 2, "yes or no"},
      {"[Profile 1]\nServer = simulated\nProfileFolder = one\n", 1, "GameFolder is missing"},
      {"[Profile 1]\nServer = pid 5\nGameFolder = g\nProfileFolder = one\n", 1,
       "ServerType is missing"},
      {"[Profile 1]\nServer = simulated --build affiliate\nServerType = DFBHD\nGameFolder = "
       "g\nProfileFolder = one\n",
       1, "the simulator runs the affiliate build"},
      {profile + "[Profile 2]\nServer = simulated\nGameFolder = h\nProfileFolder = ONE\n", 5,
       "already the folder of profile 1"},
      {"\xEF\xBB\xBF[Host]\n", 1,
       "starts with a UTF-8 byte-order mark, but host.ini is read as "
       "Windows-1252: save it as Windows-1252 (ANSI)"},
  };
  for (const Case& c : cases) {
    try {
      parseHostConfig(c.text, "/srv/host/host.ini", kRoot);
      ADD_FAILURE() << "accepted:\n" << c.text;
    } catch (const HostConfigError& error) {
      EXPECT_EQ(error.line(), c.line) << c.text;
      EXPECT_THAT(error.reason(), HasSubstr(c.reason)) << c.text;
      EXPECT_THAT(error.what(), HasSubstr("/srv/host/host.ini:" + std::to_string(c.line) + ": "));
    }
  }
}

TEST(HostConfig, MissingFileIsRefusedAsAWhole) {
  try {
    readHostConfig("/nonexistent/host.ini", kRoot);
    FAIL() << "a missing file was accepted";
  } catch (const HostConfigError& error) {
    EXPECT_EQ(error.line(), 0);
    EXPECT_THAT(error.what(), HasSubstr("/nonexistent/host.ini: cannot be read"));
  }
}

// The host makes the game folders of simulated servers only; another server's must be there.
TEST(HostConfig, RefusesAPidOrCommandServerWithoutItsGameFolder) {
  ScratchFolder root;
  root.write("games/pid/readme.txt", "");
  root.write("games/file", "");
  const std::string start =
      "[Profile 1]\nServer = simulated\nGameFolder = games/made-later\nProfileFolder = sim\n"
      "[Profile 2]\nServer = pid 42\nServerType = DFBHD\nGameFolder = games/pid\n"
      "ProfileFolder = pid\n";
  root.write("host.ini", start);
  EXPECT_EQ(readHostConfig(root / "host.ini", root.path()).profiles.size(), 2u);

  struct Case {
    std::string profile;
    std::string problem;
  };
  const Case cases[] = {
      {"Server = command wine dfbhd.exe\nServerType = DFBHD\nProfileFolder = cmd\nGameFolder = "
       "/nonexistent/dfbhd\n",
       "[Profile 3]: the game folder /nonexistent/dfbhd/ does not exist; a command server's"},
      {"Server = pid 7\nServerType = DFBHD\nProfileFolder = cmd\nGameFolder = games/file\n",
       "[Profile 3]: the game folder " + root.path() + "/games/file/ is not a folder; a pid"},
  };
  for (const Case& c : cases) {
    root.write("host.ini", start + "[Profile 3]\n" + c.profile);
    try {
      readHostConfig(root / "host.ini", root.path());
      ADD_FAILURE() << "accepted:\n" << c.profile;
    } catch (const HostConfigError& error) {
      EXPECT_EQ(error.line(), 14) << c.profile;  // its GameFolder line
      EXPECT_THAT(error.what(), HasSubstr(root / "host.ini:14: " + c.problem));
    }
  }
}

TEST(HostConfig, SplitsCommandLinesAtBlanksOutsideQuotes) {
  EXPECT_EQ(splitArguments("  wine  \"C:\\\\Program Files\\\\dfbhd.exe\" /w a\\ b "),
            (std::vector<std::string>{"wine", "C:\\Program Files\\dfbhd.exe", "/w", "a b"}));
  // A backslash before anything else stays: Windows paths as they are written.
  EXPECT_EQ(splitArguments("wine64 Z:\\srv\\dfbhd\\dfbhd.exe \\\"q\\\""),
            (std::vector<std::string>{"wine64", "Z:\\srv\\dfbhd\\dfbhd.exe", "\"q\""}));
  EXPECT_EQ(splitArguments("\"\""), std::vector<std::string>{""});
  EXPECT_TRUE(splitArguments("   ").empty());
}

}  // namespace
}  // namespace rotaryn::host
