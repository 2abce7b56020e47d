// The private-profile reader on settings files of 10, 100 and 1,000 sections (about 40 bytes
// each): reading one key, and listing one section, both from the last section (the whole file
// is walked), against the floor of reading the same file once and finding its lines with
// memchr. Prints the ratio of the slower of the two at 1,000 sections; the goal is at most 3.0x.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "bench/ratio_reporter.h"
#include "platform/adapters/windows_file_system.h"
#include "platform/ini_file.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {
namespace {

constexpr double kTargetRatio = 3.0;
constexpr int kSizes[] = {10, 100, 1000};
constexpr int kMeasuredSize = 1000;

std::string fileName(int sections) {
  return "settings" + std::to_string(sections) + ".ini";
}
std::string windowsPath(int sections) {
  return "C:\\Settings\\" + fileName(sections);
}
std::string lastSection(int sections) {
  return "Profile " + std::to_string(sections - 1);
}

struct Files {
  ScratchFolder scratch;
  WindowsFileSystem disk{{{'C', scratch.path()}}};
  IniFile ini{disk};

  Files() {
    for (int sections : kSizes) {
      std::string text;
      for (int i = 0; i < sections; ++i) {
        text += "[Profile " + std::to_string(i) + "]\r\nAutoload=" + std::to_string(i % 2) +
                "\r\nDisplayTime=" + std::to_string(1 + i % 9) + "\r\n";
      }
      scratch.write("Settings/" + fileName(sections), text);
    }
  }
};

Files& files() {
  static std::unique_ptr<Files> made = std::make_unique<Files>();
  return *made;
}

void ReadOneKey(benchmark::State& state) {
  const int sections = static_cast<int>(state.range(0));
  Files& f = files();
  const std::string path = windowsPath(sections);
  const std::string section = lastSection(sections);
  for (auto _ : state) benchmark::DoNotOptimize(f.ini.read(path, section, "displaytime", "0"));
  if (f.ini.read(path, section, "DisplayTime", "0") != std::to_string(1 + (sections - 1) % 9)) {
    state.SkipWithError("the key was not found");
  }
}

void ListOneSection(benchmark::State& state) {
  const int sections = static_cast<int>(state.range(0));
  Files& f = files();
  const std::string path = windowsPath(sections);
  const std::string section = lastSection(sections);
  for (auto _ : state) benchmark::DoNotOptimize(f.ini.sectionLines(path, section));
  if (f.ini.sectionLines(path, section).size() != 2) state.SkipWithError("the section is wrong");
}

void FloorReadOnceFindLines(benchmark::State& state) {
  const std::string path = files().scratch / ("Settings/" + fileName(int(state.range(0))));
  std::string bytes;
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    ::fstat(fd, &st);
    bytes.resize(static_cast<size_t>(st.st_size));
    const ssize_t got = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    long lines = 0;
    const char* at = bytes.data();
    const char* end = at + std::max<ssize_t>(got, 0);
    while (at < end) {
      const void* lf = std::memchr(at, '\n', static_cast<size_t>(end - at));
      at = lf ? static_cast<const char*>(lf) + 1 : end;
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
}

BENCHMARK(ReadOneKey)->Arg(10)->Arg(100)->Arg(1000)->Repetitions(5);
BENCHMARK(ListOneSection)->Arg(10)->Arg(100)->Arg(1000)->Repetitions(5);
BENCHMARK(FloorReadOnceFindLines)->Arg(10)->Arg(100)->Arg(1000)->Repetitions(5);

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  rotaryn::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& fastest = reporter.fastestNs;
  auto timeOf = [&](const std::string& name, int sections) {
    auto found = fastest.find(name + "/" + std::to_string(sections));
    return found == fastest.end() ? 0.0 : found->second;
  };
  double measured = 0;
  for (int sections : rotaryn::kSizes) {
    const double floor = timeOf("FloorReadOnceFindLines", sections);
    if (floor <= 0) continue;
    const double read = timeOf("ReadOneKey", sections) / floor;
    const double list = timeOf("ListOneSection", sections) / floor;
    std::printf("%4d sections: read one key %.2fx, list one section %.2fx the floor\n", sections,
                read, list);
    if (sections == rotaryn::kMeasuredSize) measured = std::max(read, list);
  }
  if (measured > 0) {
    std::printf("RATIO ini_read %.3f target %.1f\n", measured, rotaryn::kTargetRatio);
  }
  benchmark::Shutdown();
  return 0;
}
