// GetCustomMaps over a game folder of 10,000 valid map files, against the floor of the same
// work done directly: list the folder, open each file once and read its first 140 bytes.
// Two ratios: the first scan of the folder (goal at most 1.5x), and a rescan of the folder
// unchanged since the last one, as every reload of the window does (goal at most 0.2x). The
// table shows each on its own; the ratios come from rounds that time all three in turn.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/map_files.h"
#include "tests/support/map_file_builder.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

constexpr int kMapFiles = 10000;
constexpr int32_t kProfile = 1;
constexpr double kTargetRatio = 1.5;
constexpr double kRescanTargetRatio = 0.2;

PluginFixture& host() {
  static std::unique_ptr<PluginFixture> fixture = [] {
    auto made = std::make_unique<PluginFixture>();
    made->addProfile(kProfile);
    char name[32];
    for (int i = 0; i < kMapFiles; ++i) {
      std::snprintf(name, sizeof name, "CUSTOM_%05d.bms", i);
      // Deathmatch, Team Deathmatch and Capture the Flag: three rows per file.
      made->scratch.write(PluginFixture::gameFolderOnDisk(kProfile) + "/" + name,
                          mapFileBytes(std::string("Custom map ") + name, 0, 2 | 16 | 32));
    }
    return made;
  }();
  return *fixture;
}

// The floor: list the folder, open each file once and read its header.
long listOpenAndReadHeaders(const std::string& folder) {
  char header[140];
  long files = 0;
  DIR* dir = ::opendir(folder.c_str());
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    int fd = ::open((folder + "/" + entry->d_name).c_str(), O_RDONLY);
    files += ::read(fd, header, sizeof header) == sizeof header;
    ::close(fd);
  }
  ::closedir(dir);
  return files;
}

void GetCustomMapsOverTenThousandFiles(benchmark::State& state) {
  PluginFixture& fixture = host();
  const std::string folder = fixture.gameFolder(kProfile);
  for (auto _ : state) {
    state.PauseTiming();
    fixture.module.customMapHeaders.clear();  // nothing known: every file is read
    state.ResumeTiming();
    GetCustomMaps(fixture.module, folder);
    benchmark::DoNotOptimize(fixture.module.catalogue.custom.count());
  }
  if (fixture.module.catalogue.custom.count() != 3L * kMapFiles) {
    state.SkipWithError("the scan missed files");
  }
}

void RescanOfTheUnchangedFolder(benchmark::State& state) {
  PluginFixture& fixture = host();
  const std::string folder = fixture.gameFolder(kProfile);
  GetCustomMaps(fixture.module, folder);
  for (auto _ : state) {
    GetCustomMaps(fixture.module, folder);
    benchmark::DoNotOptimize(fixture.module.catalogue.custom.count());
  }
  if (fixture.module.catalogue.custom.count() != 3L * kMapFiles) {
    state.SkipWithError("the rescan missed files");
  }
}

void FloorListOpenAndReadHeaders(benchmark::State& state) {
  const std::string folder = host().scratch / PluginFixture::gameFolderOnDisk(kProfile);
  for (auto _ : state) benchmark::DoNotOptimize(listOpenAndReadHeaders(folder));
}

BENCHMARK(GetCustomMapsOverTenThousandFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(RescanOfTheUnchangedFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(FloorListOpenAndReadHeaders)->Unit(benchmark::kMillisecond);

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The ratios from rounds of floor, scan and rescan one after the other, the median of each
// round's own ratio: the floor's time moves by a fifth between the table's runs on a shared
// machine, which a ratio of two separate runs would carry whole.
struct Ratios {
  double scan;
  double rescan;
};
Ratios pairedRatios(int rounds) {
  PluginFixture& fixture = host();
  const std::string folder = fixture.gameFolder(kProfile);
  const std::string onDisk = fixture.scratch / PluginFixture::gameFolderOnDisk(kProfile);
  std::vector<double> scans, rescans;
  auto floor = [&] { benchmark::DoNotOptimize(listOpenAndReadHeaders(onDisk)); };
  auto scan = [&] { GetCustomMaps(fixture.module, folder); };
  for (int round = 0; round < rounds; ++round) {
    // Every other round the scan goes first, so neither gains from coming after the other.
    fixture.module.customMapHeaders.clear();  // nothing known: every file is read
    double floorSeconds = 0, scanSeconds = 0;
    if (round % 2 == 0) {
      floorSeconds = secondsOf(floor);
      scanSeconds = secondsOf(scan);
    } else {
      scanSeconds = secondsOf(scan);
      floorSeconds = secondsOf(floor);
    }
    scans.push_back(scanSeconds / floorSeconds);
    rescans.push_back(secondsOf(scan) / floorSeconds);  // everything known now
  }
  auto median = [](std::vector<double>& values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  return {median(scans), median(rescans)};
}

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const rotaryn::Ratios ratios = rotaryn::pairedRatios(15);
  if (rotaryn::host().module.catalogue.custom.count() != 3L * rotaryn::kMapFiles) {
    std::fprintf(stderr, "custom_maps_bench: the scan missed files\n");
    return 1;
  }
  std::printf("GetCustomMaps / floor, median of 15 rounds: %.2fx (target at most %.1fx)\n",
              ratios.scan, rotaryn::kTargetRatio);
  std::printf("RATIO custom_map_scan %.3f target %.1f\n", ratios.scan, rotaryn::kTargetRatio);
  std::printf("rescan of the unchanged folder / floor: %.2fx (target at most %.1fx)\n",
              ratios.rescan, rotaryn::kRescanTargetRatio);
  std::printf("RATIO custom_map_rescan %.3f target %.1f\n", ratios.rescan,
              rotaryn::kRescanTargetRatio);
  benchmark::Shutdown();
  return 0;
}
