// One map-monitor tick in state 2 against a dfbhd-sim child, through the plug-in's module and the
// process backend, against the floor measured in the same run: bare process_vm_readv calls
// reading the same fields (the map name as the backend reads a text: up to the end of its page).
// Prints "RATIO monitor_tick <value> target 1.5".
#include <benchmark/benchmark.h>
#include <sys/uio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "components/gravik/process_memory.h"
#include "control/map_monitor.h"
#include "plugin/profiles.h"
#include "sim/model/server_layout.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/sim_process.h"

namespace rotaryn {
namespace {

constexpr double kTargetRatio = 1.5;
constexpr const char* kTick = "MonitorTickStateTwo";
constexpr const char* kBare = "BareProcessVmReadv";
constexpr int32_t kProfile = 1;
constexpr size_t kPage = 4096;

bool bareRead(pid_t pid, uint32_t address, void* out, size_t size) {
  iovec local{out, size};
  iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(address)), size};
  return process_vm_readv(pid, &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  using namespace rotaryn;
  benchmark::Initialize(&argc, argv);
  // A Deathmatch game that runs until told otherwise, with all three limits configured, so a
  // steady tick reads each configured field once and writes nothing.
  testing::SimProcess server({"--game-length", "0", "--state", "2"});
  const int32_t pid = server.pid();
  const sim::ServerLayout layout(sim::ServerBuild::kStandard);

  PluginFixture host;
  host.module.MemoryAccess = std::make_shared<gravik::ProcessMemory>();
  RegisterProfile(
      host.module, kProfile,
      Variant(Variant::Array{"host", "DFBHD", Variant(pid), "", "", "", Variant(pid), "profile1"}));
  {
    int32_t process = pid;
    host.module.MemoryAccess->WriteLong(process, static_cast<int32_t>(layout.at("GameType")), 0, 4);
    host.module.MemoryAccess->WriteLong(process, static_cast<int32_t>(layout.at("CMaxKills")), 25,
                                        4);
    host.module.MemoryAccess->WriteLong(process, static_cast<int32_t>(layout.at("CGameScore")), 20,
                                        4);
    host.module.MemoryAccess->WriteLong(process, static_cast<int32_t>(layout.at("CKothLimit")), 6,
                                        4);
  }
  tmrMaps_Timer(host.module, kProfile);  // imposes the kill limit once; later ticks only read

  benchmark::RegisterBenchmark(kTick, [&](benchmark::State& state) {
    for (auto _ : state) tmrMaps_Timer(host.module, kProfile);
    if (!host.dialogs.boxes().empty()) state.SkipWithError("the tick reported a failure");
  })->Repetitions(5);

  const uint32_t curMap = layout.at("CurMap");
  const std::vector<uint32_t> longs{layout.at("GameState"),  layout.at("GameType"),
                                    layout.at("CMaxKills"),  layout.at("CGameScore"),
                                    layout.at("CKothLimit"), layout.at("Score1a"),
                                    layout.at("Score2a")};
  benchmark::RegisterBenchmark(kBare, [&](benchmark::State& state) {
    char text[kPage];
    for (auto _ : state) {
      int32_t values[7];
      bool ok = bareRead(pid, longs[0], &values[0], 4) && bareRead(pid, longs[1], &values[1], 4) &&
                bareRead(pid, curMap, text, kPage - curMap % kPage);
      for (size_t k = 2; ok && k < longs.size(); ++k) ok = bareRead(pid, longs[k], &values[k], 4);
      if (!ok) {
        state.SkipWithError("process_vm_readv failed");
        break;
      }
      std::string name(text, strnlen(text, kPage - curMap % kPage));
      benchmark::DoNotOptimize(name);
      benchmark::DoNotOptimize(values);
    }
  })->Repetitions(5);

  const std::optional<FastestPair> times = runForRatio("monitor_tick", kTick, kBare);
  if (!times) return 1;
  const double tick = times->measuredNs;
  const double bare = times->floorNs;
  std::printf("monitor_tick: tick %.0f ns, bare reads %.0f ns\n", tick, bare);
  std::printf("RATIO monitor_tick %.3f target %.1f\n", tick / bare, kTargetRatio);
  return 0;
}
