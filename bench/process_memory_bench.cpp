// WriteLong through the process backend of Gravik.clsMemory against the floor: a bare
// process_vm_writev of the same four bytes to the same dfbhd-sim child. Prints the ratio; the
// goal is under 1.3x. With --wine PREFIX the child is dfbhd-sim.exe under Wine
// (write_long_wine, goal under 1.15x: the Wine process is as near as the Linux one).
#include <benchmark/benchmark.h>
#include <sys/uio.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <string>

#include "bench/ratio_reporter.h"
#include "bench/wine_servers.h"
#include "components/gravik/process_memory.h"
#include "sim/model/server_layout.h"
#include "tests/support/sim_process.h"

namespace rotaryn {
namespace {

constexpr double kTargetRatio = 1.3;
constexpr double kWineTargetRatio = 1.15;
constexpr const char* kComponent = "WriteLongThroughProcessMemory";
constexpr const char* kBare = "BareProcessVmWritev";

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  using namespace rotaryn;
  const WineServers wine = useWineServers(argc, argv);
  if (!wine.problem.empty()) {
    std::printf("write_long_wine: not measured: %s\n", wine.problem.c_str());
    return 0;
  }
  const std::string name = wine.asked ? "write_long_wine" : "write_long";
  const double target = wine.asked ? kWineTargetRatio : kTargetRatio;
  benchmark::Initialize(&argc, argv);
  testing::SimProcess server({"--game-length", "0"});
  int32_t pid = server.pid();
  auto address = static_cast<int32_t>(sim::ServerLayout(sim::ServerBuild::kStandard).at("Score1b"));

  gravik::ProcessMemory memory;
  benchmark::RegisterBenchmark(kComponent, [&](benchmark::State& state) {
    int32_t process = pid;
    int32_t value = 0;
    for (auto _ : state) memory.WriteLong(process, address, ++value, 4);
  })->Repetitions(5);
  benchmark::RegisterBenchmark(kBare, [&](benchmark::State& state) {
    int32_t value = 0;
    for (auto _ : state) {
      ++value;
      iovec local{&value, sizeof value};
      iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(address)), sizeof value};
      if (process_vm_writev(pid, &local, 1, &remote, 1, 0) != sizeof value) {
        state.SkipWithError("process_vm_writev failed");
        break;
      }
    }
  })->Repetitions(5);

  const std::optional<FastestPair> times = runForRatio("process_memory", kComponent, kBare);
  if (!times) return 1;
  const double component = times->measuredNs;
  const double bare = times->floorNs;
  double ratio = component / bare;
  std::printf(
      "%s: WriteLong %.1f ns, bare process_vm_writev %.1f ns, ratio %.3f (goal < %.2f) %s\n",
      name.c_str(), component, bare, ratio, target, ratio < target ? "OK" : "OVER");
  std::printf("RATIO %s %.3f target %.2f\n", name.c_str(), ratio, target);
  return 0;
}
