#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
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

}  // namespace rotaryn
