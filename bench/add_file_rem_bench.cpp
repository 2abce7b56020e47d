// AddFileRem with a 5 MiB map file as its byte list ("name|66/77/83/..."), against the floor of
// the same work done plainly in the same run: read the list into bytes with a bare loop and
// write them beside the target, synced and renamed into place, as the plug-in does.
// Prints "RATIO add_file_rem <value> target 3.0".
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "bench/ratio_reporter.h"
#include "remote/map_file_rem.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

constexpr double kTargetRatio = 3.0;
constexpr size_t kFileBytes = 5u << 20;
constexpr int32_t kProfile = 1;
constexpr const char* kComponent = "AddFileRem";
constexpr const char* kFloor = "PlainParseAndWrite";

bool writeSyncedAndRename(const std::string& temporary, const std::string& target,
                          const std::string& bytes) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  return ok && ::rename(temporary.c_str(), target.c_str()) == 0;
}

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  using namespace rotaryn;
  benchmark::Initialize(&argc, argv);
  PluginFixture host;
  host.addProfile(kProfile);
  const std::string folder = host.scratch / PluginFixture::gameFolderOnDisk(kProfile);

  std::string file(kFileBytes, '\0');
  std::mt19937 random(7);
  for (char& byte : file) byte = static_cast<char>(random() & 0xFF);
  std::string list = "upload.bms|";
  for (unsigned char byte : file) list += std::to_string(byte) + "/";
  const Variant data(list);
  const int32_t pid = 1000 + kProfile;
  const Variant pdat(Variant::Array{"host", "DFBHD", Variant(pid), "", "",
                                    host.gameFolder(kProfile), Variant(pid), "profile1", "", "",
                                    "Bench", Variant(int16_t{0})});

  if (AddFileRem(host.module, kProfile, pdat, data) != 1 ||
      host.scratch.read(PluginFixture::gameFolderOnDisk(kProfile) + "/upload.bms") != file) {
    std::printf("add_file_rem: the upload was not written as sent\n");
    return 1;
  }

  benchmark::RegisterBenchmark(kComponent, [&](benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(AddFileRem(host.module, kProfile, pdat, data));
    if (host.failuresOf("AddFileRem") != 0) state.SkipWithError("AddFileRem failed");
  })->Repetitions(5);

  benchmark::RegisterBenchmark(kFloor, [&](benchmark::State& state) {
    const std::string temporary = folder + "/.plain.tmp";
    const std::string target = folder + "/plain.bms";
    for (auto _ : state) {
      std::string bytes;
      bytes.reserve(list.size() / 2);
      unsigned value = 0;
      for (size_t i = list.find('|') + 1; i < list.size(); ++i) {
        if (list[i] == '/') {
          bytes += static_cast<char>(value);
          value = 0;
        } else {
          value = value * 10 + static_cast<unsigned>(list[i] - '0');
        }
      }
      if (!writeSyncedAndRename(temporary, target, bytes)) {
        state.SkipWithError("the plain write failed");
        return;
      }
    }
  })->Repetitions(5);

  const std::optional<FastestPair> times = runForRatio("add_file_rem", kComponent, kFloor);
  if (!times) return 1;
  const double component = times->measuredNs;
  const double floor = times->floorNs;
  std::printf(
      "add_file_rem: %zu bytes as a list of %zu characters; AddFileRem %.1f ms, floor %.1f ms\n",
      file.size(), list.size(), component / 1e6, floor / 1e6);
  std::printf("RATIO add_file_rem %.3f target %.1f\n", component / floor, kTargetRatio);
  return 0;
}
