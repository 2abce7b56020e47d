#include "control/map_monitor.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

using Write = std::pair<std::string, int64_t>;

class MapMonitor : public ::testing::Test {
 protected:
  // A server of profile `index` playing `playing` in `state`, its next map of type `next`.
  sim::ServerModel& server(int32_t state, int32_t playing, int32_t next = 0, int32_t index = 1,
                           sim::ServerBuild build = sim::ServerBuild::kStandard) {
    sim::ServerModel& made = host.addProfile(
        index, {.build = build,
                .rotation = {{playing, false, "ONE.BMS", "One"}, {next, false, "TWO.BMS", "Two"}}});
    made.setLong("GameState", state);
    made.setLong("GameType", playing);
    made.clearClientWrites();
    return made;
  }
  void tick(int32_t index = 1) { tmrMaps_Timer(host.module, index); }
  void displayTime(const std::string& value) {
    host.scratch.write("Plugins/Maps.ini", "[DisplayTime]\r\nprofile1=" + value + "\r\n");
  }
  static FieldWrites writes(const sim::ServerModel& server) {
    return writesTo(server, {"Score1a", "Score1b", "Score2a", "Score2b", "GTUpdate1", "GTUpdate2",
                             "GTUpdate3", "GTUpdate4", "GTUpdate5", "RestartTmr"});
  }
  static std::vector<Write> gameTypeUpdate(int64_t type) {
    return {{"GTUpdate1", type},
            {"GTUpdate2", type},
            {"GTUpdate3", type},
            {"GTUpdate4", type},
            {"GTUpdate5", type}};
  }

  PluginFixture host;
};

// Each family gets its configured limit, or the server's own (MaxKills 30, KothLimit 10) where
// none is configured; other game types, limits already in place and affiliate servers are left
// alone.
TEST_F(MapMonitor, RunningGameGetsTheLimitOfItsFamily) {
  struct Case {
    int32_t type, cMaxKills, cGameScore, cKoth, score1, score2;
    std::vector<Write> writes;
  };
  const std::vector<Case> cases{
      {0, 40, 0, 0, 50, 0, {{"Score1a", 40}, {"Score1b", 40}}},
      {1, 0, 0, 0, 50, 0, {{"Score1a", 30}, {"Score1b", 30}}},
      {3, 0, 0, 0, 0, 7, {{"Score2a", 10}, {"Score2b", 10}}},
      {4, 0, 0, 5, 0, 10, {{"Score2a", 5}, {"Score2b", 5}}},
      {8, 0, 0, 0, 20, 0, {{"Score1a", 30}, {"Score1b", 30}}},
      {8, 0, 12, 0, 20, 0, {{"Score1a", 12}, {"Score1b", 12}}},
      {0, 40, 0, 0, 40, 99, {}},
      {2, 40, 12, 5, 1, 1, {}},
      {7, 40, 12, 5, 1, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("game type " + std::to_string(c.type) + ", score " + std::to_string(c.score1));
    sim::ServerModel& running = server(sim::kStateRunning, c.type);
    for (auto [key, value] : {std::pair{"MaxKills", 30},
                              {"KothLimit", 10},
                              {"CMaxKills", c.cMaxKills},
                              {"CGameScore", c.cGameScore},
                              {"CKothLimit", c.cKoth},
                              {"Score1a", c.score1},
                              {"Score2a", c.score2}}) {
      running.setLong(key, value);
    }
    tick();
    EXPECT_EQ(writes(running), c.writes);
  }
  sim::ServerModel& affiliate = server(sim::kStateRunning, 0, 0, 1, sim::ServerBuild::kAffiliate);
  affiliate.setLong("Score1a", 999);
  tick();
  EXPECT_TRUE(writes(affiliate).empty());
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

// The five game-type fields are written once per end of game, again only after a tick in state
// 1; profiles beyond the first 51 flags get flags of their own.
TEST_F(MapMonitor, EndOfGameUpdatesTheNextGameTypeOnce) {
  for (int32_t index : {1, 64}) {
    SCOPED_TRACE(index);
    sim::ServerModel& ended = server(sim::kStateEndOfGame, 1, 8, index);
    tick(index);
    tick(index);
    EXPECT_EQ(writes(ended), gameTypeUpdate(8));

    ended.clearClientWrites();
    ended.setLong("GameType", 1);
    tick(index);
    ended.setLong("GameState", sim::kStateBetweenGames);
    tick(index);
    ended.setLong("GameState", sim::kStateEndOfGame);
    tick(index);
    EXPECT_EQ(writes(ended), gameTypeUpdate(8));
  }
  // Straight from the end of a game into the next without state 1: that one is not prepared.
  sim::ServerModel& ended = server(sim::kStateEndOfGame, 1, 8, 1);
  ended.setLong("GameState", sim::kStateRunning);
  ended.setLong("Score1a", 30);
  tick();
  ended.setLong("GameState", sim::kStateEndOfGame);
  tick();
  EXPECT_TRUE(writes(ended).empty());
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(MapMonitor, DisplayTimeCutsTheCountdownAndNeverRaisesIt) {
  sim::ServerModel& ended = server(sim::kStateEndOfGame, 3, 3);  // no type to update
  ended.setLong("RestartTmr", 3720);
  tick();
  host.scratch.write("Plugins/Maps.ini", "[DisplayTime]\r\nother=1\r\n");
  tick();
  EXPECT_TRUE(writes(ended).empty());
  for (int value = 1; value <= 9; ++value) {
    displayTime(std::to_string(value));
    ended.setLong("RestartTmr", 3720);
    tick();
    EXPECT_EQ(ended.longAt("RestartTmr"), value * 5 * 62) << value;
  }
  ended.clearClientWrites();
  ended.setLong("RestartTmr", 500);
  tick();
  EXPECT_TRUE(writes(ended).empty());
  displayTime("soon");
  tick();
  EXPECT_EQ(host.failuresOf("tmrMaps"), 1);
}

TEST_F(MapMonitor, AGoneServerIsReportedEachTickAndAnUnknownProfileIsNot) {
  server(sim::kStateRunning, 0);
  host.memory->removeServer(1001);
  tick();
  tick();
  EXPECT_EQ(host.failuresOf("tmrMaps"), 2);
  tick(7);  // never registered: every step meets a missing table element and is skipped
  EXPECT_EQ(host.dialogs.boxes().size(), 2u);
}

}  // namespace
}  // namespace rotaryn
