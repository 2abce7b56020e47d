#include "control/game_commands.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = WindowFixture::kProfile;
constexpr int32_t kPid = 1000 + kProfile;

class GameCommands : public ::testing::Test {
 protected:
  GameCommands() { host.scheduler.setWallClock(DateTime{2026, 12, 4, 20, 15, 3}); }

  // The profile's window on a server of `maps` maps, its writes so far forgotten.
  sim::ServerModel& load(int maps = 5, bool consumeCommands = true) {
    host.load({.rotation = WindowFixture::rotationOf(maps), .consumeCommands = consumeCommands});
    host.server().clearClientWrites();
    return host.server();
  }
  // Servers run with the plug-in's own waits (Sleep, DoEvents) from here on.
  void serversFollowTime() {
    host.memory->followClock([this] { return host.scheduler.monotonicMs(); });
  }
  FieldWrites countdowns() { return writesTo(host.server(), {"RestartTmr"}); }
  std::string profileLog() {
    return host.scratch.read("profiles/profile1/adminlogs/2026-12-04.txt");
  }

  WindowFixture host;
};

// Events keep running while the skip waits; after ten seconds it gives up and says so.
TEST_F(GameCommands, SkipGivesUpAfterTenSecondsWithoutWriting) {
  load(5, false);
  serversFollowTime();
  int ticks = 0;
  host.scheduler.create("probe", 0, [&] { ++ticks; });
  host.scheduler.setInterval("probe", 0, 2000);
  host.scheduler.start("probe", 0);
  host.release(host.window().cmdSkip);
  EXPECT_EQ(host.boxes("Failed!", kSkipWaitGaveUp), 1);
  EXPECT_TRUE(countdowns().empty());
  EXPECT_GE(host.scheduler.monotonicMs(), kSkipWaitLimitMs);
  EXPECT_LT(host.scheduler.monotonicMs(), kSkipWaitLimitMs + 100);
  EXPECT_EQ(ticks, 4);  // at 2, 4, 6 and 8 seconds
  EXPECT_EQ(host.server().state(), sim::kStateRunning);
}

TEST_F(GameCommands, PlayNextMakesTheSelectedRowTheNextMap) {
  sim::ServerModel& server = load(5);
  host.select(host.window().mfgCurrent, 0, 0);
  host.release(host.window().cmdPlay);
  EXPECT_EQ(server.currentPosition(), 4);
  host.select(host.window().mfgCurrent, 3, 3);
  host.release(host.window().cmdPlay);
  EXPECT_EQ(server.currentPosition(), 2);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(GameCommands, RemoteCommandsAnswerAndLeaveTheirLines) {
  sim::ServerModel& server = load(7, false);
  server.setLong("MaxMaps", 255);
  EXPECT_EQ(ScoreMapRem(host.module, kProfile, host.remotePdat("Ann Admin")), 1);
  EXPECT_EQ(server.textAt("MsgStrAdd"), "resetgames");
  // The remote skip does not wait for the end of the game.
  EXPECT_EQ(SkipMapRem(host.module, kProfile, host.remotePdat("Ann Admin")), 1);
  EXPECT_EQ(countdowns(), (FieldWrites{{"RestartTmr", kSkipCountdown}}));
  EXPECT_EQ(server.state(), sim::kStateRunning);

  EXPECT_EQ(PlayMapRem(host.module, kProfile, host.remotePdat("Bo", -1), Variant("6")), 1);
  EXPECT_EQ(server.currentPosition(), 5);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, host.remotePdat("Bo", -1), Variant(int32_t{0})), 1);
  EXPECT_EQ(server.currentPosition(), 255);
  server.setCurrentPosition(2);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, host.remotePdat("Bo", -1), Variant(int32_t{7})), 0);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, host.remotePdat("Bo", -1), Variant(int32_t{-1})), 0);
  EXPECT_EQ(server.currentPosition(), 2);

  EXPECT_EQ(profileLog(),
            "[20:15:03][Rotaryn] Score Map from Ann Admin\r\n"
            "[20:15:03][Rotaryn] Skip Map from Ann Admin\r\n");
  std::string playLine = "[20:15:03][Rotaryn] Play Map from Bo\r\n";
  EXPECT_EQ(host.scratch.read("adminlogs/2026-12-04.txt"),
            playLine + playLine + playLine + playLine);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(GameCommands, ARemoteCommandThatFailsAnswersZeroWithoutALine) {
  load();
  host.memory->removeServer(kPid);
  EXPECT_EQ(SkipMapRem(host.module, kProfile, host.remotePdat("Ann")), 0);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, host.remotePdat("Ann"), Variant("two")), 0);
  EXPECT_EQ(host.failuresOf("SkipMapRem"), 1);
  EXPECT_EQ(host.failuresOf("PlayMapRem"), 1);
  EXPECT_FALSE(host.scratch.exists("profiles/profile1/adminlogs/2026-12-04.txt"));
}

}  // namespace
}  // namespace rotaryn
