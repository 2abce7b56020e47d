#include "tasks/task_store.h"

#include <functional>
#include <vector>

#include "errors/error_report.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/admin_log.h"
#include "store/profile_paths.h"
#include "store/task_file.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

std::string twoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() == 1 ? "0" + text : text;
}

// The decoded fields of a remote request; error 9 when there are fewer than needed.
std::vector<std::string> decodedFields(Module& module, const Variant& Data, size_t needed) {
  std::vector<std::string> fields = vb::Split(module.memory().dec64(vb::CStr(Data)), "|");
  if (fields.size() < needed) {
    raiseVbError(vberr::kSubscriptOutOfRange, "the task data has " + std::to_string(fields.size()) +
                                                  " fields, not " + std::to_string(needed));
  }
  return fields;
}

// Rebuilds the task list for the profile, creating the window first when there is none yet.
void rebuildTaskList(Module& module, int32_t index) {
  if (!module.window) {
    module.window = std::make_unique<frmRotarynMaps>(module);
    if (module.ports.views != nullptr) module.view = module.ports.views->create(*module.window);
  }
  module.window->BuildTasks(index);
}

// The frame of the three remote task operations: the change, the list rebuilt, one log line.
int32_t remoteTaskChange(Module& module, const char* procedure, int32_t Index, const Variant& PDAT,
                         const std::function<std::string(ErrorTrap&, const std::string&)>& change,
                         const std::string& action) {
  ErrorTrap trap = module.trap(procedure, Index);
  const bool done = trap.run([&] {
    trap.at(1);
    const std::string taskFile = taskFileOf(module, Index);
    const std::string logged = change(trap, taskFile);
    trap.at(5);
    rebuildTaskList(module, Index);
    trap.at(6);
    AdminLog(module, PDAT, adminLogText(action, "Task", logged));
  });
  return done ? 1 : 0;
}

}  // namespace

std::string taskSectionName(const DateTime& date, const DateTime& time) {
  std::string year = std::to_string(date.year);
  if (year.size() == 2) year = "20" + year;
  return twoDigits(date.day) + "/" + twoDigits(date.month) + "/" + year + " " +
         twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

int32_t AddTaskRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  return remoteTaskChange(
      module, "AddTaskRem", Index, PDAT,
      [&](ErrorTrap& trap, const std::string& taskFile) {
        trap.at(2);
        std::vector<std::string> fields = decodedFields(module, Data, 3);
        trap.at(3);
        writeTask(module, taskFile, fields[0], fields[1], fields[2]);
        return fields[0];
      },
      "Add Task");
}

int32_t EditTaskRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  return remoteTaskChange(
      module, "EditTaskRem", Index, PDAT,
      [&](ErrorTrap& trap, const std::string& taskFile) {
        trap.at(2);
        std::vector<std::string> fields = decodedFields(module, Data, 4);
        // The new task is checked and written before the old one goes: an edit that fails
        // leaves the old task in place.
        trap.at(3);
        checkTaskName(fields[1]);
        trap.at(4);
        writeTask(module, taskFile, fields[1], fields[2], fields[3]);
        // Section names are one whatever their case: deleting the "old" one would delete this.
        if (vb::UCase(fields[1]) != vb::UCase(fields[0])) deleteTask(module, taskFile, fields[0]);
        return fields[1];
      },
      "Edit Task");
}

int32_t DeleteTaskRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  return remoteTaskChange(
      module, "DeleteTaskRem", Index, PDAT,
      [&](ErrorTrap& trap, const std::string& taskFile) {
        trap.at(2);
        const std::string section = vb::CStr(Data);
        // A line break would turn the one admin-log line into several, the later ones forged.
        if (section.find_first_of("\r\n") != std::string::npos) {
          raiseVbError(vberr::kInvalidCall, "a task's name has no line break");
        }
        deleteTask(module, taskFile, section);
        return section;
      },
      "Delete Task");
}

}  // namespace rotaryn
