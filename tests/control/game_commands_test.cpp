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
    sim::ServerOptions options;
    options.rotation = WindowFixture::rotationOf(maps);
    options.consumeCommands = consumeCommands;
    host.load(options);
    host.server().clearClientWrites();
    return host.server();
  }
  // Servers run with the plug-in's own waits (Sleep, DoEvents) from here on.
  void serversFollowTime() {
    host.memory->followClock([this] { return host.scheduler.monotonicMs(); });
  }
  // The state as a client sees it now (the server catches up with the clock first).
  int32_t stateNow() {
    int32_t pid = kPid;
    return host.memory->ReadLong(pid, static_cast<int32_t>(host.server().layout().at("GameState")));
  }
  std::vector<int64_t> writesTo(const std::string& key) {
    std::vector<int64_t> values;
    for (const sim::ClientWrite& write : host.server().clientWrites()) {
      if (write.address == host.server().layout().at(key)) values.push_back(write.number());
    }
    return values;
  }
  std::string profileLog() {
    return host.scratch.read("profiles/profile1/adminlogs/2026-12-04.txt");
  }

  WindowFixture host;
};

TEST_F(GameCommands, RefusedUnlessAGameRuns) {
  sim::ServerModel& server = load();
  for (int32_t state : {1, 4, 0}) {
    SCOPED_TRACE(state);
    server.setLong("GameState", state);
    for (Button* button : {&host.window().cmdSkip, &host.window().cmdScore, &host.window().cmdPlay})
      host.release(*button);
    EXPECT_EQ(SkipMapRem(host.module, kProfile, remotePdat("Ann")), 0);
    EXPECT_EQ(ScoreMapRem(host.module, kProfile, remotePdat("Ann")), 0);
    EXPECT_EQ(PlayMapRem(host.module, kProfile, remotePdat("Ann"), Variant(int32_t{2})), 0);
  }
  EXPECT_EQ(host.boxes("Failed!", kStateRefusal), 9);
  EXPECT_EQ(host.dialogs.boxes().size(), 9u);
  EXPECT_TRUE(server.clientWrites().empty());
  std::string oneRound =
      "[20:15:03][Rotaryn] Skip Map from Ann\r\n[20:15:03][Rotaryn] Score Map from Ann\r\n"
      "[20:15:03][Rotaryn] Play Map from Ann\r\n";
  EXPECT_EQ(profileLog(), oneRound + oneRound + oneRound);
}

TEST_F(GameCommands, SkipEndsTheGameAndTheServerRestartsAboutEightSecondsLater) {
  load();
  serversFollowTime();
  host.release(host.window().cmdSkip);
  EXPECT_EQ(host.server().state(), sim::kStateEndOfGame);
  EXPECT_EQ(writesTo("RestartTmr"), std::vector<int64_t>{kSkipCountdown});
  const int64_t skipped = host.scheduler.monotonicMs();
  while (stateNow() == sim::kStateEndOfGame && host.scheduler.monotonicMs() - skipped < 20000) {
    host.scheduler.advance(100);
  }
  EXPECT_NEAR(host.scheduler.monotonicMs() - skipped, 8065, 150);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

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
  EXPECT_TRUE(writesTo("RestartTmr").empty());
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
  EXPECT_EQ(ScoreMapRem(host.module, kProfile, remotePdat("Ann Admin")), 1);
  EXPECT_EQ(server.textAt("MsgStrAdd"), "resetgames");
  // The remote skip does not wait for the end of the game.
  EXPECT_EQ(SkipMapRem(host.module, kProfile, remotePdat("Ann Admin")), 1);
  EXPECT_EQ(writesTo("RestartTmr"), std::vector<int64_t>{kSkipCountdown});
  EXPECT_EQ(server.state(), sim::kStateRunning);

  EXPECT_EQ(PlayMapRem(host.module, kProfile, remotePdat("Bo", -1), Variant("6")), 1);
  EXPECT_EQ(server.currentPosition(), 5);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, remotePdat("Bo", -1), Variant(int32_t{0})), 1);
  EXPECT_EQ(server.currentPosition(), 255);
  server.setCurrentPosition(2);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, remotePdat("Bo", -1), Variant(int32_t{7})), 0);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, remotePdat("Bo", -1), Variant(int32_t{-1})), 0);
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
  EXPECT_EQ(SkipMapRem(host.module, kProfile, remotePdat("Ann")), 0);
  EXPECT_EQ(PlayMapRem(host.module, kProfile, remotePdat("Ann"), Variant("two")), 0);
  EXPECT_EQ(host.failuresOf("SkipMapRem"), 1);
  EXPECT_EQ(host.failuresOf("PlayMapRem"), 1);
  EXPECT_FALSE(host.scratch.exists("profiles/profile1/adminlogs/2026-12-04.txt"));
}

}  // namespace
}  // namespace rotaryn
