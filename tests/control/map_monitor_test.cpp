#include "control/map_monitor.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = 1;

using Write = std::pair<uint32_t, int64_t>;

sim::RotationEntry map(int32_t type, const std::string& name) {
  return {type, false, name + ".BMS", name};
}

class MapMonitor : public ::testing::Test {
 protected:
  sim::ServerModel& addServer(int32_t index = kProfile, sim::ServerOptions options = {}) {
    sim::ServerModel& server = host.addProfile(index, std::move(options));
    server.clearClientWrites();
    return server;
  }
  void tick(int32_t index = kProfile) { tmrMaps_Timer(host.module, index); }
  void displayTime(const std::string& value) {
    host.scratch.write("Plugins/Maps.ini", "[DisplayTime]\r\nprofile1=" + value + "\r\n");
  }
  // A server at the end of a game of `playing` whose next map is of `next`.
  sim::ServerModel& endOfGame(int32_t index, int32_t playing, int32_t next) {
    sim::ServerOptions options;
    options.rotation = {map(playing, "ONE"), map(next, "TWO")};
    sim::ServerModel& server = addServer(index, options);
    server.setLong("GameState", sim::kStateEndOfGame);
    server.setLong("GameType", playing);
    return server;
  }
  static std::vector<Write> writes(const sim::ServerModel& server) {
    std::vector<Write> made;
    for (const sim::ClientWrite& write : server.clientWrites()) {
      made.emplace_back(write.address, write.number());
    }
    return made;
  }
  static std::vector<Write> expected(const sim::ServerModel& server,
                                     std::initializer_list<std::pair<const char*, int64_t>> list) {
    std::vector<Write> made;
    for (auto [key, value] : list) made.emplace_back(server.layout().at(key), value);
    return made;
  }
  static std::vector<Write> gameTypeUpdate(const sim::ServerModel& server, int64_t type) {
    return expected(server, {{"GTUpdate1", type},
                             {"GTUpdate2", type},
                             {"GTUpdate3", type},
                             {"GTUpdate4", type},
                             {"GTUpdate5", type}});
  }

  PluginFixture host;
};

// Each family gets its configured limit, or the server's own where none is configured; the other
// game types and limits already in place are left alone.
TEST_F(MapMonitor, RunningGameGetsTheLimitOfItsFamily) {
  struct Case {
    int32_t type, cMaxKills, cGameScore, cKoth, score1, score2;
    std::vector<std::pair<const char*, int64_t>> writes;
  };
  const std::vector<Case> cases{
      {0, 40, 0, 0, 50, 0, {{"Score1a", 40}, {"Score1b", 40}}},
      {1, 0, 0, 0, 50, 0, {{"Score1a", 30}, {"Score1b", 30}}},  // MaxKills 30
      {3, 0, 0, 0, 0, 7, {{"Score2a", 10}, {"Score2b", 10}}},   // KothLimit 10
      {4, 0, 0, 5, 0, 10, {{"Score2a", 5}, {"Score2b", 5}}},
      {8, 0, 0, 0, 20, 0, {{"Score1a", 30}, {"Score1b", 30}}},  // flagball falls back to MaxKills
      {8, 0, 12, 0, 20, 0, {{"Score1a", 12}, {"Score1b", 12}}},
      {8, 0, 12, 0, 12, 99, {}},
      {0, 40, 0, 0, 40, 99, {}},
      {2, 40, 12, 5, 1, 1, {}},
      {7, 40, 12, 5, 1, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("game type " + std::to_string(c.type) + ", score " + std::to_string(c.score1));
    sim::ServerModel& server = addServer();
    server.setLong("MaxKills", 30);
    server.setLong("KothLimit", 10);
    server.setLong("CMaxKills", c.cMaxKills);
    server.setLong("CGameScore", c.cGameScore);
    server.setLong("CKothLimit", c.cKoth);
    server.setLong("GameType", c.type);
    server.setLong("Score1a", c.score1);
    server.setLong("Score2a", c.score2);
    tick();
    std::vector<Write> want;
    for (auto [key, value] : c.writes) want.emplace_back(server.layout().at(key), value);
    EXPECT_EQ(writes(server), want);
  }
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(MapMonitor, AffiliateServersHaveNoLimitsAndNoComplaint) {
  sim::ServerOptions options;
  options.build = sim::ServerBuild::kAffiliate;
  sim::ServerModel& server = addServer(kProfile, options);
  server.setLong("Score1a", 999);
  server.setLong("Score2a", 999);
  for (int32_t type : {0, 3, 8}) {
    server.setLong("GameType", type);
    tick();
  }
  EXPECT_TRUE(writes(server).empty());
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

// The five game-type fields are written once per end of game, and again only after the server
// has passed through state 1; a next map of the running type needs no update.
TEST_F(MapMonitor, EndOfGameUpdatesTheNextGameTypeOncePerEndOfGame) {
  sim::ServerModel& server = endOfGame(kProfile, 1, 8);
  tick();
  tick();
  EXPECT_EQ(writes(server), gameTypeUpdate(server, 8));

  // Straight back to a game without state 1: the next end of game is not prepared.
  server.clearClientWrites();
  server.setLong("GameState", sim::kStateRunning);
  server.setLong("GameType", 0);
  server.setLong("Score1a", 30);  // the limit in place: nothing to impose
  server.setLong("CMaxKills", 0);
  tick();
  server.setLong("GameState", sim::kStateEndOfGame);
  tick();
  EXPECT_TRUE(writes(server).empty());

  server.setLong("GameState", sim::kStateBetweenGames);
  tick();
  server.setLong("GameState", sim::kStateEndOfGame);
  server.setLong("GameType", 0);
  tick();
  EXPECT_EQ(writes(server), gameTypeUpdate(server, 8));

  sim::ServerModel& same = endOfGame(2, 4, 4);
  tick(2);
  EXPECT_TRUE(writes(same).empty());
}

TEST_F(MapMonitor, DisplayTimeCutsTheCountdownAndNeverRaisesIt) {
  sim::ServerModel& server = endOfGame(kProfile, 3, 3);
  for (int value = 1; value <= 9; ++value) {
    SCOPED_TRACE(value);
    displayTime(std::to_string(value));
    server.setLong("RestartTmr", 60 * 62);
    tick();
    EXPECT_EQ(server.longAt("RestartTmr"), value * 5 * 62);
  }
  server.clearClientWrites();
  server.setLong("RestartTmr", 500);
  tick();
  EXPECT_TRUE(writes(server).empty());

  displayTime("2.5");  // rounded as CLng rounds: 775 exactly
  server.setLong("RestartTmr", 3720);
  tick();
  EXPECT_EQ(server.longAt("RestartTmr"), 775);
}

TEST_F(MapMonitor, WithoutADisplayTimeTheCountdownIsLeftAlone) {
  sim::ServerModel& server = endOfGame(kProfile, 3, 3);
  server.setLong("RestartTmr", 3720);
  tick();
  host.scratch.write("Plugins/Maps.ini", "[DisplayTime]\r\nother=1\r\n");
  tick();
  EXPECT_EQ(server.longAt("RestartTmr"), 3720);
  EXPECT_TRUE(writes(server).empty());

  displayTime("soon");
  tick();
  EXPECT_EQ(server.longAt("RestartTmr"), 3720);
  EXPECT_EQ(host.failuresOf("tmrMaps"), 1);
}

TEST_F(MapMonitor, ShowsTheMapOnlyForTheProfileInTheWindow) {
  sim::ServerModel& first = addServer(1);
  sim::ServerModel& second = addServer(2);  // registered last: the one shown
  first.setText("CurMap", "Mean Streets");
  second.setText("CurMap", "Rolling Thunder");
  host.module.window = std::make_unique<frmRotarynMaps>(host.module);
  tick(1);
  EXPECT_EQ(host.module.window->lblCurMap.caption.get(), "Map playing:");
  tick(2);
  EXPECT_EQ(host.module.window->lblCurMap.caption.get(), "Map playing: Rolling Thunder");
}

TEST_F(MapMonitor, ProfilesBeyondFiftyBehaveLikeTheOthers) {
  sim::ServerModel& server = endOfGame(64, 0, 3);
  tick(64);
  tick(64);
  EXPECT_EQ(writes(server), gameTypeUpdate(server, 3));
  server.setLong("GameState", sim::kStateBetweenGames);
  tick(64);
  server.setLong("GameState", sim::kStateEndOfGame);
  server.setLong("GameType", 0);
  tick(64);
  EXPECT_EQ(writes(server).size(), 10u);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(MapMonitor, AGoneServerIsReportedEachTickAndAnUnknownProfileIsNot) {
  addServer();
  host.memory->removeServer(1000 + kProfile);
  tick();
  tick();
  EXPECT_EQ(host.failuresOf("tmrMaps"), 2);
  tick(7);  // never registered: every step meets a missing table element and is skipped
  EXPECT_EQ(host.dialogs.boxes().size(), 2u);
}

}  // namespace
}  // namespace rotaryn
