// The task runner's reading of MapTasks.ini over any file content, through the utility
// component as the plug-in reads it: it finds a due task or none, or raises a run-time error
// (which the tick reports), and never crashes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/fennor/cls_mfd.h"
#include "memory_file_system.h"
#include "platform/clock.h"
#include "platform/vb_error.h"
#include "tasks/task_runner.h"

namespace {

class FixedClock final : public rotaryn::Clock {
 public:
  rotaryn::DateTime now() const override { return {2026, 12, 7, 20, 0, 0}; }
  int64_t monotonicMs() const override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  fuzz::MemoryFileSystem files;
  FixedClock clock;
  const std::string path = "C:\\profiles\\p\\settings\\MapTasks.ini";
  files.files[path] = std::string(reinterpret_cast<const char*>(data), size);
  clsMFD utility(files, clock, "C:\\");
  // A Monday evening, then a month's last day at midnight, so both the weekly and the monthly
  // rules are reached.
  for (const DateTime& now : {DateTime{2026, 12, 7, 20, 0, 0}, DateTime{2027, 1, 31, 0, 0, 0}}) {
    try {
      (void)findDueTask(utility, path, now);
    } catch (const VbError&) {
    }
  }
  return 0;
}
