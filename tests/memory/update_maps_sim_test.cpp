// End-to-end: Update Maps into real dfbhd-sim processes of both builds.
#include <gtest/gtest.h>

#include "memory/server_rotation.h"
#include "memory/update_maps.h"
#include "tests/memory/sim_process_window.h"

namespace rotaryn {
namespace {

class UpdateMapsOnDfbhdSim : public ::testing::TestWithParam<sim::ServerBuild> {};

INSTANTIATE_TEST_SUITE_P(BothBuilds, UpdateMapsOnDfbhdSim,
                         ::testing::Values(sim::ServerBuild::kStandard,
                                           sim::ServerBuild::kAffiliate),
                         [](const auto& info) { return std::string(sim::buildName(info.param)); });

TEST_P(UpdateMapsOnDfbhdSim, AFullRotationIsReadBackIdentically) {
  SimProcessWindow scene(GetParam());
  WindowFixture& host = scene.host;
  scene.showRotation(255);
  const std::vector<std::string> sent = host.currentListRows();

  host.release(host.window().cmdUpdate);
  ASSERT_EQ(host.boxes("Success", "Map List updated successfully."), 1);
  EXPECT_EQ(host.dialogs.boxes().size(), 1u);

  const int32_t header = scene.readLong("MapPointer");
  int32_t pid = scene.server.pid();
  EXPECT_EQ(scene.memory->ReadLong(pid, header + 8), 255);
  EXPECT_EQ(scene.memory->ReadLong(pid, header + 4), 255);
  GetMapList(host.module, SimProcessWindow::kProfile);
  EXPECT_EQ(host.failuresOf("GetMapList"), 0);
  EXPECT_EQ(host.currentListRows(), sent);
}

}  // namespace
}  // namespace rotaryn
