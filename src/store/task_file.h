#pragma once

#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace rotaryn {

struct Module;
class IUtility;

// The profile's task file (store/profile_paths.h, taskFileOf): one section per task, named
// "dd/mm/yyyy hh:mm:ss", holding "File" (a map-list file of the settings folder, or "Random")
// and then "Frequency".

// A task as the utility lists its section: the first line is "File", the second "Frequency",
// the order writeTask leaves them in. A section with fewer lines raises 9.
struct TaskEntry {
  std::string file;
  std::string frequency;
};
TaskEntry readTaskEntry(IUtility& utility, const std::string& taskFile, const std::string& section);

// Every section of the file, each with its lines as readTaskEntry sees them, from one read of
// the file; none when it is missing.
std::vector<IniFile::Section> readTaskSections(Module& module, const std::string& taskFile);

// The task's "File"; empty when there is no such task.
std::string readTaskMapList(Module& module, const std::string& taskFile,
                            const std::string& section);

// Writes "File" and then "Frequency" into the task's section (replacing both when it exists).
// Unlike a plain private-profile write, a refused write raises 75.
void writeTask(Module& module, const std::string& taskFile, const std::string& section,
               const std::string& file, const std::string& frequency);
// Raises 5 for a name no section can have: empty, or with a line break.
void checkTaskName(const std::string& section);
// Deletes the section; nothing happens when there is none. A name with a line break raises 5.
void deleteTask(Module& module, const std::string& taskFile, const std::string& section);

}  // namespace rotaryn
