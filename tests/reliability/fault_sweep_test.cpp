// Every operation that writes files or the server, with its k-th file call or k-th memory call
// failing, for every k the operation makes: the failure is reported as the operation's own, no
// file is left torn or half-written, the server's rotation counts change only once every slot
// and entry is in place, and running the operation again without the fault puts everything right.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formats/base64.h"
#include "formats/exchange_codec.h"
#include "memory/update_maps.h"
#include "platform/ini_file.h"
#include "plugin/module.h"
#include "remote/map_file_rem.h"
#include "remote/set_maps_rem.h"
#include "store/autoload.h"
#include "store/map_list.h"
#include "tasks/task_store.h"
#include "tests/support/fault_injection.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = WindowFixture::kProfile;

struct Operation {
  const char* name;  // the procedure its failures are reported under
  std::function<void(WindowFixture&)> arrange;
  std::function<void(WindowFixture&)> run;
};

using Files = std::map<std::string, std::string>;

Files filesUnder(const ScratchFolder& scratch) {
  Files files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch.path())) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = std::filesystem::relative(entry.path(), scratch.path()).string();
    files[relative] = scratch.read(relative);
  }
  return files;
}

std::vector<std::string> rotationFiles(sim::ServerModel& server) {
  std::vector<std::string> files;
  for (const sim::RotationEntry& entry : server.rotation()) files.push_back(entry.missionFile);
  return files;
}

bool isIni(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".ini") == 0;
}

// What one run of an operation left behind.
struct Outcome {
  Files files;
  std::vector<std::string> rotation;
  int64_t calls = 0;
  int32_t countBefore = 0;  // the server's rotation count before the operation
};

enum class Side { kFiles, kMemory };

class Sweep {
 public:
  explicit Sweep(const Operation& op) : op_(op) {}

  // A fresh profile, the operation's arrangement, and the operation with the plan armed.
  Outcome runWith(Side side, int64_t failAt, FaultPlan::Mode mode, WindowFixture& host) {
    host.scheduler.setWallClock(DateTime{2026, 12, 6, 10, 0, 0});
    host.load({.rotation = WindowFixture::rotationOf(5)});
    op_.arrange(host);
    before_ = filesUnder(host.scratch);
    const int32_t countBefore = host.server().rotationCount();
    FaultPlan plan;
    if (failAt > 0) {
      plan.failAt(failAt, mode,
                  side == Side::kFiles ? VbError(vberr::kDiskFull, "Disk full")
                                       : VbError(vberr::kPermissionDenied, "Permission denied"));
    }
    const std::shared_ptr<IMemoryAccess> memory = host.module.MemoryAccess;
    if (side == Side::kFiles) {
      injectFileFaults(host.files, plan);
    } else {
      host.module.MemoryAccess = injectMemoryFaults(memory, plan);
    }
    op_.run(host);
    host.files.beforeEveryCall = nullptr;
    host.module.MemoryAccess = memory;
    return Outcome{filesUnder(host.scratch), rotationFiles(host.server()), plan.calls(),
                   countBefore};
  }

  const Files& before() const { return before_; }

 private:
  const Operation& op_;
  Files before_;
};

void checkAfterFault(const Operation& op, WindowFixture& host, const Outcome& clean,
                     const Files& before, const Outcome& faulted, const std::string& where) {
  // Reported as the operation's own, or, for an INI write, in the error log the INI functions
  // keep (they raise nothing); or, when the failing call was one the operation may skip, with
  // nothing changed that the clean run would not have changed.
  const bool reported = host.failuresOf(op.name) > 0 ||
                        faulted.files.count("logs/errors.log") != 0 || faulted.files == clean.files;
  EXPECT_TRUE(reported) << where << ": the failure went unreported";

  for (const auto& [path, bytes] : faulted.files) {
    EXPECT_EQ(path.find(".tmp"), std::string::npos) << where << ": left " << path;
    auto old = before.find(path);
    auto fresh = clean.files.find(path);
    const bool asBefore = old != before.end() && old->second == bytes;
    const bool asClean = fresh != clean.files.end() && fresh->second == bytes;
    if (asBefore || asClean || path == "logs/errors.log") continue;
    // Written key by key, an INI file may stop between keys, and a refused remote change adds
    // its own log line; each state is still whole lines.
    if (isIni(path) || path.find("adminlogs/") != std::string::npos) {
      EXPECT_TRUE(bytes.empty() || bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
          << where << ": " << path << " cut off";
      continue;
    }
    ADD_FAILURE() << where << ": " << path << " is neither its old nor its new content";
  }
  // Slots and entries are written one map after the other, so a fault may leave some of them
  // new; the counts, written last, must change only once every one of them is in place.
  if (host.server().rotationCount() != faulted.countBefore) {
    EXPECT_EQ(faulted.rotation, clean.rotation) << where << ": counts ran ahead of the entries";
  }
}

void sweep(const Operation& op, Side side) {
  Outcome clean;
  {
    WindowFixture host;
    clean = Sweep(op).runWith(side, 0, FaultPlan::Mode::kNever, host);
    ASSERT_EQ(host.failuresOf(op.name), 0) << op.name << " fails without a fault";
    ASSERT_TRUE(host.server().checkRotation().empty());
  }
  ASSERT_GT(clean.calls, 0) << op.name << " makes no call on this side";

  for (int64_t k = 1; k <= clean.calls; ++k) {
    for (FaultPlan::Mode mode : {FaultPlan::Mode::kOnce, FaultPlan::Mode::kFromThenOn}) {
      const std::string where = std::string(op.name) +
                                (side == Side::kFiles ? " file" : " memory") + " call " +
                                std::to_string(k) + (mode == FaultPlan::Mode::kOnce ? "" : " on");
      WindowFixture host;
      Sweep run(op);
      const Outcome faulted = run.runWith(side, k, mode, host);
      checkAfterFault(op, host, clean, run.before(), faulted, where);

      // Again without the fault: the server ends as after a clean run, with no violation.
      op.run(host);
      EXPECT_TRUE(host.server().checkRotation().empty()) << where << ", run again";
      EXPECT_EQ(rotationFiles(host.server()), clean.rotation) << where << ", run again";
      if (::testing::Test::HasFailure()) return;  // one broken k tells enough
    }
  }
}

// The operations that read or write the server come first: kServerOperations of them.
constexpr size_t kServerOperations = 3;

const std::vector<Operation>& operations() {
  static const std::vector<Operation> all{
      {"cmdUpdateProc",
       [](WindowFixture& host) {
         // Two maps fewer than the server runs, the rest in a new order.
         frmRotarynMaps& w = host.window();
         host.select(w.mfgCurrent, 0, 1);
         w.cmdRemove_Click();
         w.mfgCurrent.setRow(2);
         w.cmdUp_Click();
       },
       [](WindowFixture& host) { cmdUpdateProc_Click(host.module, true); }},
      {"AutoLoadMap",
       [](WindowFixture& host) {
         host.scratch.write("profiles/profile1/settings/lastsettings.ini",
                            "[Maps]\r\ntkScore=7\r\ndmScore=45\r\nfbScore=12\r\nmapcount=1\r\n"
                            "map0=1[-]0[-]TDMK_01B.BMS\r\nmap1=0[-]0[-]DMM_02A.BMS\r\n");
       },
       [](WindowFixture& host) { AutoLoadMap(host.module, kProfile, true); }},
      {"SetMapsRem", [](WindowFixture&) {},
       [](WindowFixture& host) {
         formats::exchange::NewRotation rotation{7, 45, 12, {}};
         rotation.rotation.push_back({"Panic Attack A", "TDMM_01E.BMS", 1, false});
         rotation.rotation.push_back({"Cracked", "DMM_01E.BMS", 0, false});
         SetMapsRem(host.module, kProfile, host.remotePdat("Ann"),
                    Variant(formats::exchange::buildSetMapsData(rotation)));
       }},
      {"cmdSave",
       [](WindowFixture& host) {
         host.scratch.write("profiles/profile1/settings/evening.mpl", "0[-]0[-]DMM_02A.BMS\r\n");
         host.dialogs.queueSaveFile(host.root() + "\\profiles\\profile1\\settings\\evening.mpl");
       },
       [](WindowFixture& host) { cmdSave_Click(host.module); }},
      {"AddTaskRem", [](WindowFixture&) {},
       [](WindowFixture& host) {
         AddTaskRem(host.module, kProfile, host.remotePdat("Ann"),
                    Variant(formats::encodeBase64("25/12/2026 20:00:00|night.mpl|Once")));
       }},
      {"EditTaskRem",
       [](WindowFixture& host) {
         host.scratch.write("profiles/profile1/settings/MapTasks.ini",
                            "[25/12/2026 20:00:00]\r\nFile=night.mpl\r\nFrequency=Once\r\n");
       },
       [](WindowFixture& host) {
         EditTaskRem(host.module, kProfile, host.remotePdat("Ann"),
                     Variant(formats::encodeBase64(
                         "25/12/2026 20:00:00|31/12/2026 23:00:00|Random|Every Day")));
       }},
      {"DeleteTaskRem",
       [](WindowFixture& host) {
         host.scratch.write("profiles/profile1/settings/MapTasks.ini",
                            "[25/12/2026 20:00:00]\r\nFile=night.mpl\r\nFrequency=Once\r\n"
                            "[26/12/2026 20:00:00]\r\nFile=Random\r\nFrequency=Every Week\r\n");
       },
       [](WindowFixture& host) {
         DeleteTaskRem(host.module, kProfile, host.remotePdat("Ann"),
                       Variant(formats::encodeBase64("25/12/2026 20:00:00")));
       }},
      {"AddFileRem", [](WindowFixture& host) { host.scratch.write("game1/canyon.bms", "old map"); },
       [](WindowFixture& host) {
         AddFileRem(host.module, kProfile, host.remotePdat("Ann"),
                    Variant("canyon.bms|66/77/83/10/13/0/255/"));
       }},
  };
  return all;
}

std::string operationName(const ::testing::TestParamInfo<size_t>& info) {
  return operations()[info.param].name;
}

class FileFaults : public ::testing::TestWithParam<size_t> {};
class MemoryFaults : public ::testing::TestWithParam<size_t> {};

TEST_P(FileFaults, EveryCall) {
  sweep(operations()[GetParam()], Side::kFiles);
}
TEST_P(MemoryFaults, EveryCall) {
  sweep(operations()[GetParam()], Side::kMemory);
}

INSTANTIATE_TEST_SUITE_P(Operations, FileFaults, ::testing::Range<size_t>(0, operations().size()),
                         operationName);
INSTANTIATE_TEST_SUITE_P(Operations, MemoryFaults, ::testing::Range<size_t>(0, kServerOperations),
                         operationName);

}  // namespace
}  // namespace rotaryn
