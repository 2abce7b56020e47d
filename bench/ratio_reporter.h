#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace rotaryn {

// Keeps the fastest repetition of each benchmark, as the least disturbed by the machine, so a
// benchmark can print its ratio to the floor measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // "Name", or "Name/arg" for a benchmark run with arguments.
      std::string key = run.run_name.function_name;
      if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
      double& best = fastestNs[key];
      double time = run.GetAdjustedRealTime();
      best = best == 0 ? time : std::min(best, time);
    }
  }
  std::map<std::string, double> fastestNs;
};

struct FastestPair {
  double measuredNs;
  double floorNs;
};
// Runs the registered benchmarks and gives the fastest times of the measured one and its floor;
// nothing, after saying so, when either did not run.
inline std::optional<FastestPair> runForRatio(const std::string& bench, const std::string& measured,
                                              const std::string& floor) {
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const FastestPair times{reporter.fastestNs[measured], reporter.fastestNs[floor]};
  if (times.measuredNs <= 0 || times.floorNs <= 0) {
    std::printf("%s: no result\n", bench.c_str());
    return std::nullopt;
  }
  return times;
}

}  // namespace rotaryn
