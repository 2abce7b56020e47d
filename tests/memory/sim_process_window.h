#pragma once

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "components/gravik/process_memory.h"
#include "plugin/profiles.h"
#include "sim/model/server_layout.h"
#include "tests/support/sim_process.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {

// The window of profile 1 on a real dfbhd-sim process, reached through the process backend as
// the plug-in reaches a server in production. The server plays one game until told otherwise.
class SimProcessWindow {
 public:
  static constexpr int32_t kProfile = WindowFixture::kProfile;

  // The server takes the options given after its build; by default one game that never ends.
  explicit SimProcessWindow(sim::ServerBuild build,
                            std::vector<std::string> options = {"--game-length", "0"})
      : layout(build), server(withBuild(build, std::move(options))) {
    host.scratch.write(PluginFixture::gameFolderOnDisk(kProfile) + "/.keep", "");
    host.scratch.write("profiles/profile" + std::to_string(kProfile) + "/.keep", "");
    host.module.MemoryAccess = memory;
    RegisterProfile(host.module, kProfile, pdat());
    waitForState(2);
    host.module.window = std::make_unique<frmRotarynMaps>(host.module);
    host.window().Form_Reload();
  }

  // The profile's data as the host passes it, naming the administrator of a remote command.
  Variant pdat(const std::string& administrator = "Ann") {
    const int32_t pid = server.pid();
    return Variant(Variant::Array{
        "host", layout.isAffiliate() ? "DFBHD_AFF" : "DFBHD", Variant(pid), "", "",
        Variant(host.gameFolder(kProfile)), Variant(pid), "profile" + std::to_string(kProfile), "",
        "", Variant(administrator), Variant(int16_t{0}), Variant(7920), Variant(10920)});
  }
  int32_t readLong(std::string_view key, int32_t offset = 0) {
    int32_t pid = server.pid();
    return memory->ReadLong(pid, static_cast<int32_t>(layout.at(key)) + offset);
  }
  void waitForState(int32_t state) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (readLong("GameState") != state) {
      if (std::chrono::steady_clock::now() > deadline) {
        throw std::runtime_error("dfbhd-sim never reached state " + std::to_string(state));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // CurrentList and the grid as a rotation of `count` maps: stock and custom, all game types.
  void showRotation(int count) {
    CurrentListTables& list = host.module.currentList;
    list = CurrentListTables{};
    for (int k = 0; k < count; ++k) {
      const std::string key = std::to_string(k);
      list.maps.add(key, {"Map number " + key, "ROT_" + key + ".BMS", std::to_string(k % 9),
                          k % 4 == 1 ? "1" : "0"});
    }
    host.window().FillCurrentGrid();
  }

  static std::vector<std::string> withBuild(sim::ServerBuild build,
                                            std::vector<std::string> options) {
    options.insert(options.begin(), {"--build", std::string(sim::buildName(build))});
    return options;
  }

  WindowFixture host;
  sim::ServerLayout layout;
  testing::SimProcess server;
  std::shared_ptr<gravik::ProcessMemory> memory = std::make_shared<gravik::ProcessMemory>();
};

}  // namespace rotaryn
