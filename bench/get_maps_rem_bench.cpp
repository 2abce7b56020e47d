// GetMapsRem on a dfbhd-sim process with the extended catalogue (185 stock maps), 1,000 custom
// map files and a 255-map rotation, against the floor of the same work done directly in the
// same run: open each custom map file once and read its first 140 bytes, the same server reads
// (and the one map-limit write) as bare process_vm_readv / process_vm_writev calls, and zlib of
// the same body. Prints "RATIO get_maps_rem <value> target 2.0".
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "formats/exchange_codec.h"
#include "memory/update_maps.h"
#include "remote/get_maps_rem.h"
#include "tests/memory/sim_process_window.h"
#include "tests/support/map_file_builder.h"

namespace rotaryn {
namespace {

constexpr double kTargetRatio = 2.0;
constexpr int kCustomMaps = 1000;
constexpr int kRotation = 255;
constexpr size_t kMapHeader = 140;
constexpr const char* kComponent = "GetMapsRem";
constexpr const char* kFloor = "ScanReadsAndZlib";

struct Access {
  bool write;
  int32_t address;
  size_t size;
};

// Records every memory access on its way to the server.
class RecordingMemory final : public MemoryAccessWrapper {
 public:
  using MemoryAccessWrapper::MemoryAccessWrapper;
  int32_t ReadLong(int32_t& process, int32_t address) override {
    accesses.push_back({false, address, 4});
    return target_->ReadLong(process, address);
  }
  uint8_t ReadByte(int32_t& process, int32_t address) override {
    accesses.push_back({false, address, 1});
    return target_->ReadByte(process, address);
  }
  std::string ReadStr(int32_t& process, int32_t address) override {
    std::string text = target_->ReadStr(process, address);
    accesses.push_back({false, address, text.size() + 1});
    return text;
  }
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t bytes) override {
    accesses.push_back({true, address, static_cast<size_t>(bytes)});
    target_->WriteLong(process, address, value, bytes);
  }
  std::vector<Access> accesses;
};

void* remoteAddress(int32_t address) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(address)));
}

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  using namespace rotaryn;
  benchmark::Initialize(&argc, argv);
  SimProcessWindow scene(sim::ServerBuild::kStandard,
                         {"--game-length", "0", "--pack", "extended.pff"});
  Module& module = scene.host.module;
  const int32_t pid = scene.server.pid();
  const std::string gameFolder = scene.host.scratch / PluginFixture::gameFolderOnDisk(1);
  for (int k = 0; k < kCustomMaps; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "cm%04d.bms", k);
    scene.host.scratch.write(PluginFixture::gameFolderOnDisk(1) + "/" + name,
                             mapFileBytes("Custom " + std::to_string(k), 0, 3));
  }
  scene.showRotation(kRotation);
  cmdUpdateProc_Click(module, true);

  const Variant pdat(Variant::Array{"host", "DFBHD", Variant(pid), "", "", scene.host.gameFolder(1),
                                    Variant(pid), "profile1", "", "", "Bench",
                                    Variant(int16_t{0})});

  // One call recorded: what it reads and writes, and the body it answers.
  auto recording = std::make_shared<RecordingMemory>(module.MemoryAccess);
  module.MemoryAccess = recording;
  const std::string answer = GetMapsRem(module, 1, pdat);
  module.MemoryAccess = scene.memory;
  std::string body;
  formats::exchange::MapsAnswer decoded;
  try {
    body = formats::exchange::unwrapMapsAnswer(answer);
    decoded = formats::exchange::parseMapsBody(body);
  } catch (const formats::exchange::ExchangeError& error) {
    std::printf("get_maps_rem: the answer does not decode: %s\n", error.what());
    return 1;
  }
  if (decoded.catalogue.size() < 185u + kCustomMaps || decoded.rotation.size() != kRotation) {
    std::printf("get_maps_rem: %zu maps and %zu in the rotation, not %d and %d\n",
                decoded.catalogue.size(), decoded.rotation.size(), 185 + kCustomMaps, kRotation);
    return 1;
  }
  const std::vector<Access> accesses = recording->accesses;

  benchmark::RegisterBenchmark(kComponent, [&](benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(GetMapsRem(module, 1, pdat));
    if (scene.host.failuresOf("GetMapsRem") != 0) state.SkipWithError("GetMapsRem failed");
  })->Repetitions(5);

  std::vector<std::string> mapFiles;
  for (const auto& entry : std::filesystem::directory_iterator(gameFolder)) {
    if (entry.path().extension() == ".bms") mapFiles.push_back(entry.path().string());
  }
  benchmark::RegisterBenchmark(kFloor, [&](benchmark::State& state) {
    std::vector<char> buffer(4096);
    for (auto _ : state) {
      for (const std::string& path : mapFiles) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::read(fd, buffer.data(), kMapHeader) != static_cast<ssize_t>(kMapHeader)) {
          state.SkipWithError("a map file could not be read");
          return;
        }
        ::close(fd);
      }
      for (const Access& access : accesses) {
        iovec local{buffer.data(), access.size};
        iovec remote{remoteAddress(access.address), access.size};
        const ssize_t done = access.write ? process_vm_writev(pid, &local, 1, &remote, 1, 0)
                                          : process_vm_readv(pid, &local, 1, &remote, 1, 0);
        if (done != static_cast<ssize_t>(access.size)) {
          state.SkipWithError("a bare server access failed");
          return;
        }
      }
      uLongf size = compressBound(static_cast<uLong>(body.size()));
      std::string stream(size, '\0');
      compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
                reinterpret_cast<const Bytef*>(body.data()), static_cast<uLong>(body.size()),
                Z_BEST_COMPRESSION);
      benchmark::DoNotOptimize(stream);
    }
  })->Repetitions(5);

  const std::optional<FastestPair> times = runForRatio("get_maps_rem", kComponent, kFloor);
  if (!times) return 1;
  const double component = times->measuredNs;
  const double floor = times->floorNs;
  std::printf(
      "get_maps_rem: %zu server accesses, body %zu characters; GetMapsRem %.0f us, floor %.0f us\n",
      accesses.size(), body.size(), component / 1000, floor / 1000);
  std::printf("RATIO get_maps_rem %.3f target %.1f\n", component / floor, kTargetRatio);
  return 0;
}
