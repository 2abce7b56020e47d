// One tick of the task timer over a MapTasks.ini of 1,000 tasks, none due, against the floor of
// reading that file once and parsing it as the private-profile functions parse INI files (the
// section list, which every reading of the file needs). One task's time falls in the tick's
// minute (a "Once" task long past), as in a file with tasks all over the day, so the tick also
// reads that task. Prints the ratio; the goal is at most 3.0x.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "platform/ini_file.h"
#include "store/profile_paths.h"
#include "tasks/task_runner.h"
#include "tasks/task_store.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int kTasks = 1000;
constexpr int32_t kProfile = WindowFixture::kProfile;
constexpr double kTargetRatio = 3.0;
const DateTime kTickAt{2026, 12, 7, 20, 0, 0};

WindowFixture& host() {
  static std::unique_ptr<WindowFixture> fixture = [] {
    auto made = std::make_unique<WindowFixture>();
    made->load();
    std::string text;
    const char* frequencies[] = {"Once", "Every Day", "Every Week", "Every Month"};
    char section[32];
    for (int i = 0; i < kTasks; ++i) {
      // Distinct minutes of the day; the first task is at 20:00, a "Once" long past.
      const int minute = i == 0 ? 1200 : (i * 1009) % 1440;
      std::snprintf(section, sizeof section, "%02d/%02d/20%02d %02d:%02d:00", 1 + i % 28,
                    1 + i % 12, 20 + i % 6, minute / 60, minute % 60);
      text += std::string("[") + section + "]\r\nFile=list" + std::to_string(i) +
              ".mpl\r\nFrequency=" + (minute == 1200 ? "Once" : frequencies[i % 4]) + "\r\n";
    }
    made->scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/MapTasks.ini", text);
    made->scheduler.setWallClock(kTickAt);
    return made;
  }();
  return *fixture;
}

void TaskTickOverAThousandTasks(benchmark::State& state) {
  WindowFixture& fixture = host();
  for (auto _ : state) tmrMapTasks_Timer(fixture.module, kProfile);
  if (fixture.failuresOf("tmrMapTasks") != 0 || !fixture.dialogs.boxes().empty()) {
    state.SkipWithError("the tick failed or ran a task");
  }
}

void FloorReadAndParseOnce(benchmark::State& state) {
  WindowFixture& fixture = host();
  const std::string path = taskFileOf(fixture.module, kProfile);
  IniFile ini(fixture.files);
  for (auto _ : state) benchmark::DoNotOptimize(ini.sectionNames(path).size());
}

BENCHMARK(TaskTickOverAThousandTasks)->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(FloorReadAndParseOnce)->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  rotaryn::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& fastest = reporter.fastestNs;
  auto tick = fastest.find("TaskTickOverAThousandTasks");
  auto floor = fastest.find("FloorReadAndParseOnce");
  if (tick != fastest.end() && floor != fastest.end() && floor->second > 0) {
    const double ratio = tick->second / floor->second;
    std::printf("task tick / floor: %.2fx (target at most %.1fx)\n", ratio, rotaryn::kTargetRatio);
    std::printf("RATIO task_tick %.3f target %.1f\n", ratio, rotaryn::kTargetRatio);
  }
  benchmark::Shutdown();
  return 0;
}
