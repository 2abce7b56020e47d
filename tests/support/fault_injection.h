#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/vb_error.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {

// Which calls of a port fail: none, the k-th only, or every call from the k-th on; each failing
// call raises the chosen run-time error. Calls are counted from 1 whether they fail or not.
class FaultPlan {
 public:
  enum class Mode { kNever, kOnce, kFromThenOn };

  void failAt(int64_t call, Mode mode, VbError error) {
    failAt_ = call;
    mode_ = mode;
    error_ = std::move(error);
  }
  void disarm() { mode_ = Mode::kNever; }
  int64_t calls() const { return calls_; }
  int64_t failures() const { return failures_; }

  // Counts one call and raises when the plan says this one fails.
  void step() {
    ++calls_;
    const bool fails = (mode_ == Mode::kOnce && calls_ == failAt_) ||
                       (mode_ == Mode::kFromThenOn && calls_ >= failAt_);
    if (!fails) return;
    ++failures_;
    throw error_;
  }

 private:
  Mode mode_ = Mode::kNever;
  int64_t failAt_ = 0;
  int64_t calls_ = 0;
  int64_t failures_ = 0;
  VbError error_{vberr::kDeviceIo};
};

// The fixture's file system under a plan: every call that can fail counts.
inline void injectFileFaults(FaultyFileSystem& files, FaultPlan& plan) {
  files.beforeEveryCall = [&plan](std::string_view, const std::string&) { plan.step(); };
}

// The memory component under a plan: every read, write and console command counts.
inline std::shared_ptr<IMemoryAccess> injectMemoryFaults(std::shared_ptr<IMemoryAccess> target,
                                                         FaultPlan& plan) {
  return std::make_shared<HookedMemory>(
      std::move(target), [&plan](std::string_view, int32_t, int32_t*) { plan.step(); });
}

}  // namespace rotaryn
