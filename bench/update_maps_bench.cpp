// Update Maps of 255 maps into a dfbhd-sim process, against the floor of the same work done
// directly in the same run: the same memory writes as bare process_vm_writev calls, one per
// write, and one atomic write (temporary file, fsync, rename) of the final lastsettings.ini.
// Each run alternates between two rotations and two limit texts, so every write changes
// something and the file is really rewritten. Prints "RATIO update_maps <value> target 2.0";
// with --wine PREFIX the server is dfbhd-sim.exe under Wine ("RATIO update_maps_wine ...").
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "bench/wine_servers.h"
#include "memory/update_maps.h"
#include "tests/memory/sim_process_window.h"

namespace rotaryn {
namespace {

constexpr double kTargetRatio = 2.0;
constexpr int kMaps = 255;
constexpr const char* kComponent = "UpdateMaps255";
constexpr const char* kFloor = "BareWritesAndOneAtomicFile";

struct Write {
  int32_t address;
  std::string bytes;
};

// Records every memory write on its way to the server.
class RecordingMemory final : public MemoryAccessWrapper {
 public:
  using MemoryAccessWrapper::MemoryAccessWrapper;
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t bytes) override {
    std::string little(static_cast<size_t>(bytes), '\0');
    for (int i = 0; i < bytes; ++i)
      little[i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
    writes.push_back({address, little});
    target_->WriteLong(process, address, value, bytes);
  }
  void WriteStr(int32_t& process, int32_t address, const std::string& text) override {
    writes.push_back({address, text + '\0'});
    target_->WriteStr(process, address, text);
  }
  std::vector<Write> writes;
};

// One of the two rotations: the maps shifted by `variant`, other limits typed.
void show(SimProcessWindow& scene, int variant) {
  scene.showRotation(kMaps);
  CurrentListTables& list = scene.host.module.currentList;
  if (variant == 1) {
    for (long i = 1; i <= list.maps.count(); ++i) list.maps.item(i).file += "X";
    scene.host.window().FillCurrentGrid();
  }
  scene.host.window().txtTdm.text = variant == 1 ? "46" : "45";
}

std::string settingsOnDisk(SimProcessWindow& scene) {
  return scene.host.scratch.read(PluginFixture::settingsFolderOnDisk(SimProcessWindow::kProfile) +
                                 "/lastsettings.ini");
}

bool atomicWrite(const std::string& folder, const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
            ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return ok;
}

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  using namespace rotaryn;
  const WineServers wine = useWineServers(argc, argv);
  if (!wine.problem.empty()) {
    std::printf("update_maps_wine: not measured: %s\n", wine.problem.c_str());
    return 0;
  }
  const std::string name = wine.asked ? "update_maps_wine" : "update_maps";
  benchmark::Initialize(&argc, argv);
  SimProcessWindow scene(sim::ServerBuild::kStandard);
  Module& module = scene.host.module;
  const int32_t pid = scene.server.pid();

  // What one Update Maps of each variant writes, to the server and to the file.
  std::vector<Write> writes[2];
  std::string files[2];
  auto recording = std::make_shared<RecordingMemory>(module.MemoryAccess);
  module.MemoryAccess = recording;
  for (int variant : {0, 1}) {
    show(scene, variant);
    recording->writes.clear();
    cmdUpdateProc_Click(module, true);
    writes[variant] = recording->writes;
    files[variant] = settingsOnDisk(scene);
  }
  module.MemoryAccess = scene.memory;
  if (writes[0].size() != 8u * kMaps + 2 || scene.host.failuresOf("cmdUpdateProc") != 0) {
    std::printf("%s: the recorded Update Maps did not write %d maps\n", name.c_str(), kMaps);
    return 1;
  }

  benchmark::RegisterBenchmark(kComponent, [&](benchmark::State& state) {
    int variant = 0;
    for (auto _ : state) {
      state.PauseTiming();
      variant = 1 - variant;
      show(scene, variant);
      state.ResumeTiming();
      cmdUpdateProc_Click(module, true);
    }
    if (settingsOnDisk(scene) != files[variant] || scene.host.failuresOf("cmdUpdateProc") != 0) {
      state.SkipWithError("Update Maps did not finish");
    }
  })->Repetitions(5);

  const std::string folder = scene.host.scratch / "floor";
  scene.host.scratch.write("floor/.keep", "");
  const std::string floorFile = folder + "/lastsettings.ini";
  benchmark::RegisterBenchmark(kFloor, [&](benchmark::State& state) {
    int variant = 0;
    for (auto _ : state) {
      variant = 1 - variant;
      for (const Write& write : writes[variant]) {
        iovec local{const_cast<char*>(write.bytes.data()), write.bytes.size()};
        iovec remote{
            reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(write.address))),
            write.bytes.size()};
        if (process_vm_writev(pid, &local, 1, &remote, 1, 0) !=
            static_cast<ssize_t>(write.bytes.size())) {
          state.SkipWithError("process_vm_writev failed");
          return;
        }
      }
      if (!atomicWrite(folder, floorFile, files[variant])) {
        state.SkipWithError("the file write failed");
        return;
      }
    }
  })->Repetitions(5);

  const std::optional<FastestPair> times = runForRatio(name, kComponent, kFloor);
  if (!times) return 1;
  const double component = times->measuredNs;
  const double floor = times->floorNs;
  std::printf("%s: Update Maps %.0f us, floor %.0f us\n", name.c_str(), component / 1000,
              floor / 1000);
  std::printf("RATIO %s %.3f target %.1f\n", name.c_str(), component / floor, kTargetRatio);
  return 0;
}
