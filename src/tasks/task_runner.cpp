#include "tasks/task_runner.h"

#include "errors/error_report.h"
#include "formats/task_dates.h"
#include "memory/update_maps.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/map_list.h"
#include "store/profile_paths.h"
#include "store/task_file.h"
#include "tasks/task_dates.h"
#include "tasks/task_store.h"

namespace rotaryn {
namespace {

constexpr int kRandomDraws = 5;

// VB's Timer: seconds since midnight.
float timerSeconds(const DateTime& now) {
  return static_cast<float>(now.hour * 3600 + now.minute * 60 + now.second);
}

}  // namespace

bool isMapListName(const std::string& name) {
  const std::string lower = vb::LCase(name);
  return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".mpl") == 0;
}

bool taskIsDue(const std::string& taskDate, const std::string& frequency, const DateTime& today) {
  const long start = calendarSerial(taskDate);
  const long day = vb::DateSerial(today.year, today.month, today.day);
  if (frequency == formats::kOnce) return day == start;
  if (frequency == formats::kEveryDay) return day >= start;
  if (frequency == formats::kEveryWeek) {
    return day >= start && vb::Weekday(today) == vb::Weekday(vb::FromSerial(start));
  }
  if (frequency == formats::kEveryMonth) {
    return day >= start && vb::Left(taskDate, 2) == vb::Format(today, "dd");
  }
  return false;
}

std::optional<DueTask> findDueTask(IUtility& utility, const std::string& taskFile,
                                   const DateTime& now) {
  std::string file = taskFile;
  const std::string minute = vb::Format(now, "hh:mm");
  for (const std::string& section : utility.GetAllIniSections(file)) {
    if (section.empty()) continue;
    const std::vector<std::string> parts = vb::Split(section, " ");
    if (parts.size() < 2) {
      raiseVbError(vberr::kSubscriptOutOfRange, "the task [" + section + "] has no time");
    }
    if (vb::Left(parts[1], 5) != minute) continue;
    const TaskEntry task = readTaskEntry(utility, taskFile, section);
    if (!taskIsDue(parts[0], task.frequency, now)) continue;
    return DueTask{section, task.file};
  }
  return std::nullopt;
}

std::optional<std::string> randomListFile(const std::vector<std::string>& entries, int draw) {
  int count = 0;
  for (const std::string& name : entries) {
    if (!isMapListName(name)) continue;
    if (count == draw) return name;
    ++count;
  }
  return std::nullopt;
}

void tmrMapTasks_Timer(Module& module, int32_t index) {
  ErrorTrap trap = module.trap("tmrMapTasks", index);
  bool due = false;
  bool written = false;
  const bool finished = trap.run([&] {
    trap.at(1);
    const DateTime now = module.ports.clock.now();
    trap.at(2);
    const std::string taskFile = taskFileOf(module, index);
    if (!module.ports.files.FileExists(taskFile)) return;
    trap.at(3);
    std::optional<DueTask> task = findDueTask(module.utility(), taskFile, now);
    if (!task) return;
    due = true;

    if (task->file != kRandomList) {
      trap.at(6);
      // The list is loaded into the one current list of the window, which shows CurrentProfile.
      LoadMapList(module, settingsFolderOf(module, module.CurrentProfile) + "\\" + task->file);
    } else {
      trap.at(7);
      const std::string folder = settingsFolderOf(module, index);
      const std::vector<std::string> entries = module.ports.files.FilesOf(folder);
      if (randomListFile(entries, 0)) {
        module.rnd.randomizeFromTimer(timerSeconds(now));
        const int draw = static_cast<int>(module.rnd.next() * kRandomDraws);
        // One chance in five for each of the first five lists; a draw past the last list loads
        // nothing, and the update below writes the current list as it is.
        if (std::optional<std::string> chosen = randomListFile(entries, draw)) {
          LoadMapList(module, folder + "\\" + *chosen);
        }
      }
    }
    trap.at(8);
    written = cmdUpdateProc_Click(module, true, UpdateOrigin::kTask);
  });
  if (!due) return;
  reportEvent(module, index, "task_run");
  if (!finished || !written) reportEvent(module, index, "task_failed");
}

}  // namespace rotaryn
