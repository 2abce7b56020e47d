// GetCustomMaps over a game folder of 10,000 valid map files, against the floor of the same
// work done directly: list the folder, open each file once and read its first 140 bytes.
// Two ratios: the first scan of the folder (goal at most 1.5x), and a rescan of the folder
// unchanged since the last one, as every reload of the window does (goal at most 0.2x).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
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

void GetCustomMapsOverTenThousandFiles(benchmark::State& state) {
  PluginFixture& fixture = host();
  const std::string folder = fixture.gameFolder(kProfile);
  for (auto _ : state) {
    state.PauseTiming();
    fixture.module.customMapHeaders.clear();  // nothing known: every file is read
    state.ResumeTiming();
    GetCustomMaps(fixture.module, folder);
    benchmark::DoNotOptimize(fixture.module.catalogue.CustomMapNames.count());
  }
  if (fixture.module.catalogue.CustomMapNames.count() != 3L * kMapFiles) {
    state.SkipWithError("the scan missed files");
  }
}

void RescanOfTheUnchangedFolder(benchmark::State& state) {
  PluginFixture& fixture = host();
  const std::string folder = fixture.gameFolder(kProfile);
  GetCustomMaps(fixture.module, folder);
  for (auto _ : state) {
    GetCustomMaps(fixture.module, folder);
    benchmark::DoNotOptimize(fixture.module.catalogue.CustomMapNames.count());
  }
  if (fixture.module.catalogue.CustomMapNames.count() != 3L * kMapFiles) {
    state.SkipWithError("the rescan missed files");
  }
}

void FloorListOpenAndReadHeaders(benchmark::State& state) {
  const std::string folder = host().scratch / PluginFixture::gameFolderOnDisk(kProfile);
  char header[140];
  for (auto _ : state) {
    long files = 0;
    DIR* dir = ::opendir(folder.c_str());
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      int fd = ::open((folder + "/" + entry->d_name).c_str(), O_RDONLY);
      files += ::read(fd, header, sizeof header) == sizeof header;
      ::close(fd);
    }
    ::closedir(dir);
    benchmark::DoNotOptimize(files);
  }
}

BENCHMARK(GetCustomMapsOverTenThousandFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(RescanOfTheUnchangedFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(FloorListOpenAndReadHeaders)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration (the median when repeated) so the ratio can be
// printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (median || single) msPerIteration[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> msPerIteration;
};

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  rotaryn::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& times = reporter.msPerIteration;
  auto scan = times.find("GetCustomMapsOverTenThousandFiles");
  auto floor = times.find("FloorListOpenAndReadHeaders");
  if (scan != times.end() && floor != times.end() && floor->second > 0) {
    const double ratio = scan->second / floor->second;
    std::printf("GetCustomMaps / floor: %.2fx (target at most %.1fx)\n", ratio,
                rotaryn::kTargetRatio);
    std::printf("RATIO custom_map_scan %.3f target %.1f\n", ratio, rotaryn::kTargetRatio);
  }
  auto rescan = times.find("RescanOfTheUnchangedFolder");
  if (rescan != times.end() && floor != times.end() && floor->second > 0) {
    const double ratio = rescan->second / floor->second;
    std::printf("rescan of the unchanged folder / floor: %.2fx (target at most %.1fx)\n", ratio,
                rotaryn::kRescanTargetRatio);
    std::printf("RATIO custom_map_rescan %.3f target %.1f\n", ratio, rotaryn::kRescanTargetRatio);
  }
  benchmark::Shutdown();
  return 0;
}
