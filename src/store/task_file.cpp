#include "store/task_file.h"

#include <vector>

#include "errors/error_report.h"
#include "platform/ini_file.h"
#include "platform/vb_error.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

constexpr const char* kFileKey = "File";
constexpr const char* kFrequencyKey = "Frequency";

}  // namespace

TaskEntry readTaskEntry(IUtility& utility, const std::string& taskFile,
                        const std::string& section) {
  std::string file = taskFile;
  const std::vector<std::string> lines = utility.GetIniSection(section, file);
  if (lines.size() < 2) {
    raiseVbError(vberr::kSubscriptOutOfRange, "the task [" + section + "] has no frequency");
  }
  return TaskEntry{utility.ParseIniKey(lines[0], false), utility.ParseIniKey(lines[1], false)};
}

std::vector<IniFile::Section> readTaskSections(Module& module, const std::string& taskFile) {
  return IniFile(module.ports.files, iniFailureLog(module)).sections(taskFile);
}

std::string readTaskMapList(Module& module, const std::string& taskFile,
                            const std::string& section) {
  return IniFile(module.ports.files, iniFailureLog(module)).read(taskFile, section, kFileKey);
}

void writeTask(Module& module, const std::string& taskFile, const std::string& section,
               const std::string& file, const std::string& frequency) {
  IniFile ini(module.ports.files, iniFailureLog(module));
  // The private-profile write only logs a refusal; a task that was not stored must not be
  // reported as added.
  if (!ini.write(taskFile, section, {{kFileKey, file}, {kFrequencyKey, frequency}})) {
    raiseVbError(vberr::kPathFileAccess, taskFile + " could not be written");
  }
}

void checkTaskName(const std::string& section) {
  // No section of the file can hold a line break; refused rather than passed on, so a remote
  // name cannot carry a second line into the admin log either.
  if (section.empty() || section.find_first_of("\r\n") != std::string::npos) {
    raiseVbError(vberr::kInvalidCall, "a task's name is one line, not empty");
  }
}

void deleteTask(Module& module, const std::string& taskFile, const std::string& section) {
  checkTaskName(section);
  IniFile ini(module.ports.files, iniFailureLog(module));
  if (!ini.deleteSection(taskFile, section)) {
    raiseVbError(vberr::kPathFileAccess, taskFile + " could not be written");
  }
}

}  // namespace rotaryn
