// The plug-in object's monitor timers against in-process servers that follow virtual time: games
// end, the rotation advances, the next game type and the limits are the ones the monitor sets.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "plugin/cls_plugin.h"
#include "plugin/plugin_calls.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = 1;
constexpr int32_t kPid = 1000 + kProfile;

class RunningGame : public ::testing::Test {
 protected:
  sim::ServerModel& start(sim::ServerOptions options) {
    sim::ServerModel& server = host.addProfile(kProfile, std::move(options));
    host.memory->followClock([this] { return host.scheduler.monotonicMs(); });
    plugin = std::make_unique<clsPlugin>(Ports{host.registry, host.files, host.scheduler,
                                               host.scheduler, host.scheduler, host.dialogs},
                                         host.root() + "\\Plugins");
    plugin->LoadInterface(kProfile, 0, pdat());
    return server;
  }
  Variant pdat() const {
    return Variant(Variant::Array{"host", "DFBHD", Variant(kPid), "", "",
                                  Variant(host.gameFolder(kProfile)), Variant(kPid), "profile1", "",
                                  "", "Ann", Variant(int16_t{0}), Variant(int32_t{6000}),
                                  Variant(int32_t{9000})});
  }
  // A field as a client sees it now: the server first catches up with virtual time.
  int32_t field(const sim::ServerModel& server, const char* key) {
    int32_t pid = kPid;
    return host.memory->ReadLong(pid, static_cast<int32_t>(server.layout().at(key)));
  }

  PluginFixture host;
  std::unique_ptr<clsPlugin> plugin;
};

TEST_F(RunningGame, TheServerPlaysTheRotationWithTheTypesAndLimitsTheMonitorSets) {
  sim::ServerOptions options;
  options.rotation = {{0, false, "A.BMS", "Alpha"},
                      {3, false, "B.BMS", "Bravo"},
                      {8, false, "C.BMS", "Charlie"},
                      {1, false, "D.BMS", "Delta"}};
  options.gameLengthSeconds = 20;
  options.displayLengthSeconds = 60;
  host.scratch.write("Plugins/Maps.ini", "[DisplayTime]\r\nprofile1=1\r\n");  // 5 seconds
  sim::ServerModel& server = start(options);
  server.setLong("CMaxKills", 40);
  server.setLong("CKothLimit", 6);
  server.setLong("CGameScore", 12);

  std::vector<std::string> started;
  int32_t last = sim::kStateRunning;
  int64_t endedAt = 0;
  int64_t longestEnd = 0;
  int64_t runningSince = 0;
  while (host.scheduler.monotonicMs() < 160000) {
    host.scheduler.advance(250);
    const int64_t now = host.scheduler.monotonicMs();
    const int32_t state = field(server, "GameState");
    if (state != last && state == sim::kStateRunning) {
      started.push_back(server.textAt("CurMap") + ":" + std::to_string(server.longAt("GameType")));
      runningSince = now;
    }
    if (state != last && state == sim::kStateEndOfGame) endedAt = now;
    if (state != last && last == sim::kStateEndOfGame)
      longestEnd = std::max(longestEnd, now - endedAt);
    if (state == sim::kStateRunning && now - runningSince > 2500) {
      const int32_t type = server.longAt("GameType");
      const bool koth = type == 3 || type == 4;
      EXPECT_EQ(server.longAt(koth ? "Score2a" : "Score1a"), koth        ? 6
                                                             : type == 8 ? 12
                                                                         : 40)
          << "game type " << type;
    }
    last = state;
  }
  ASSERT_GE(started.size(), 5u);
  started.resize(5);
  EXPECT_EQ(started,
            (std::vector<std::string>{"Bravo:3", "Charlie:8", "Delta:1", "Alpha:0", "Bravo:3"}));
  // The 60-second display is cut to 5 seconds at the first tick that sees it.
  EXPECT_GE(longestEnd, 5000);
  EXPECT_LE(longestEnd, 7500);
  EXPECT_EQ(server.rotationViolations(), 0);

  // A remote play next through the plug-in's interface makes Charlie (entry 2) the next map.
  while (field(server, "GameState") != sim::kStateRunning) host.scheduler.advance(250);
  Json answer = callPluginOperation(
      *plugin,
      Json{{"op", "PlayMapRem"}, {"Index", kProfile}, {"PDAT", variantJson(pdat())}, {"Data", 2}});
  EXPECT_EQ(answer, (Json{{"result", 1}}));
  EXPECT_EQ(server.currentPosition(), 1);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

}  // namespace
}  // namespace rotaryn
