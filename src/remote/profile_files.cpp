#include "remote/profile_files.h"

#include <vector>

#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/admin_log.h"
#include "store/profile_paths.h"
#include "store/task_file.h"
#include "tasks/task_runner.h"

namespace rotaryn {
namespace {

std::string folderOf(const Variant& PDAT) {
  return vb::CStr(PDAT.at(7));
}

bool isDay(const std::string& day) {
  if (day.size() != 10 || day[4] != '-' || day[7] != '-') return false;
  for (size_t i = 0; i < day.size(); ++i) {
    if (i != 4 && i != 7 && (day[i] < '0' || day[i] > '9')) return false;
  }
  return true;
}

}  // namespace

Json mapListNames(Module& module, const Variant& PDAT) {
  const std::string folder = settingsFolderNamed(module, folderOf(PDAT));
  Json names = Json::array();
  if (!module.ports.files.FolderExists(folder)) return names;
  for (const std::string& name : module.ports.files.FilesOf(folder)) {
    if (isMapListName(name)) names.push_back(jsonText(name));
  }
  return names;
}

Json taskList(Module& module, const Variant& PDAT) {
  std::string file = taskFileNamed(module, folderOf(PDAT));
  Json tasks = Json::array();
  if (!module.ports.files.FileExists(file)) return tasks;
  IUtility& utility = module.utility();
  for (const std::string& section : utility.GetAllIniSections(file)) {
    if (vb::Trim(section).empty()) continue;
    const std::vector<std::string> lines = utility.GetIniSection(section, file);
    auto value = [&](size_t line) {
      return line < lines.size() ? jsonText(utility.ParseIniKey(lines[line], false)) : "";
    };
    tasks.push_back(Json{{"when", jsonText(section)}, {"file", value(0)}, {"frequency", value(1)}});
  }
  return tasks;
}

Json adminLogLines(Module& module, const Variant& PDAT, const std::string& day, int64_t last) {
  if (!isDay(day)) raiseVbError(vberr::kInvalidCall, "a day is yyyy-mm-dd, not \"" + day + "\"");
  const std::string file = adminLogFileOf(module, PDAT, day);
  std::vector<std::string> lines;
  if (module.ports.files.FileExists(file)) {
    lines = vb::Split(vb::Replace(module.ports.files.ReadAll(file), "\r\n", "\n"), "\n");
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  const size_t total = lines.size();
  const size_t first =
      last >= 0 && total > static_cast<size_t>(last) ? total - static_cast<size_t>(last) : 0;
  Json shown = Json::array();
  for (size_t i = first; i < total; ++i) shown.push_back(jsonText(lines[i]));
  return Json{{"lines", std::move(shown)}, {"total", total}};
}

}  // namespace rotaryn
