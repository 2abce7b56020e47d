// End-to-end: the plug-in runs a real dfbhd-sim process of each build through the process
// backend, in real time. The server is sped up eight times so a game takes a second.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "control/game_commands.h"
#include "control/map_monitor.h"
#include "tests/memory/sim_process_window.h"

namespace rotaryn {
namespace {

using Clock = std::chrono::steady_clock;

class RunningGameOnDfbhdSim : public ::testing::TestWithParam<sim::ServerBuild> {
 protected:
  RunningGameOnDfbhdSim()
      : scene(GetParam(), {"--game-length", "8", "--display-length", "8", "--loading-seconds", "1",
                           "--speed", "8", "--tick-ms", "10"}) {}

  std::string readText(std::string_view key) {
    int32_t pid = scene.server.pid();
    return scene.memory->ReadStr(pid, static_cast<int32_t>(scene.layout.at(key)));
  }
  int32_t simInfo(uint32_t offset) {
    int32_t pid = scene.server.pid();
    return scene.memory->ReadLong(pid, static_cast<int32_t>(sim::kSimInfoBlock + offset));
  }
  // Runs the profile's monitor every 50 ms, as its timer does, until done() or the timeout.
  template <class Done>
  bool monitorUntil(Done done, std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      tmrMaps_Timer(scene.host.module, SimProcessWindow::kProfile);
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  SimProcessWindow scene;
};

INSTANTIATE_TEST_SUITE_P(BothBuilds, RunningGameOnDfbhdSim,
                         ::testing::Values(sim::ServerBuild::kStandard,
                                           sim::ServerBuild::kAffiliate),
                         [](const auto& info) { return std::string(sim::buildName(info.param)); });

TEST_P(RunningGameOnDfbhdSim, TheServerPlaysTheWrittenRotationWithItsTypesAndWraps) {
  WindowFixture& host = scene.host;
  scene.showRotation(3);  // "Map number k" of game type k
  host.release(host.window().cmdUpdate);
  ASSERT_EQ(host.boxes("Success", "Map List updated successfully."), 1);

  // The server was at entry 0: it plays 1, 2, then wraps to 0 and 1, each with its own type.
  std::vector<std::pair<std::string, int32_t>> played;
  ASSERT_TRUE(monitorUntil(
      [&] {
        std::string map = readText("CurMap");
        if (scene.readLong("GameState") == 2 && (played.empty() || played.back().first != map)) {
          played.emplace_back(map, scene.readLong("GameType"));
        }
        return played.size() >= 5;
      },
      std::chrono::seconds(30)));
  const std::vector<std::pair<std::string, int32_t>> expected{
      {"Map number 1", 1}, {"Map number 2", 2}, {"Map number 0", 0}, {"Map number 1", 1}};
  EXPECT_EQ(std::vector(played.begin() + 1, played.end()), expected);
  EXPECT_EQ(simInfo(sim::kSimInfoViolationsOffset), 0);
  EXPECT_GE(simInfo(sim::kSimInfoChecksOffset), 4);
  EXPECT_EQ(host.dialogs.boxes().size(), 1u) << host.dialogs.boxes().back().text;
}

TEST_P(RunningGameOnDfbhdSim, ARemoteSkipEndsTheGameAndTheNextMapFollowsTheShortCountdown) {
  const std::string before = readText("CurMap");
  ASSERT_EQ(SkipMapRem(scene.host.module, SimProcessWindow::kProfile, scene.pdat()), 1);
  // 500 countdown units written over the server's own 8 seconds of display.
  const int32_t countdown = scene.readLong("RestartTmr");
  EXPECT_GT(countdown, 0);
  EXPECT_LE(countdown, kSkipCountdown);
  ASSERT_TRUE(
      monitorUntil([&] { return scene.readLong("GameState") == 2 && readText("CurMap") != before; },
                   std::chrono::seconds(10)));
  EXPECT_TRUE(scene.host.scratch.exists("profiles/profile1/adminlogs"));
}

}  // namespace
}  // namespace rotaryn
