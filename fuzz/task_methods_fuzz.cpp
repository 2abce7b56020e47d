// AddTaskRem, EditTaskRem and DeleteTaskRem over any data, on a plug-in with files in memory
// and a simulated server. The first byte picks the operation and whether the rest goes in as
// base 64 (as a remote tool sends it) or as it is. A change answers 1 and leaves the task file
// holding it and the admin log one more line; data with too few fields answers 0 and changes
// nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/base64.h"
#include "platform/ini_file.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin_harness.h"
#include "store/profile_paths.h"
#include "tasks/task_store.h"

namespace {

size_t lineCount(const std::string& text) {
  size_t lines = 0;
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) ++lines;
  return lines;
}

// Names and values the private-profile reader gives back exactly.
bool plain(const std::string& text) {
  if (text.empty() || text.size() > 200 || text.front() == ' ' || text.back() == ' ') return false;
  for (char c : text) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == ' ' || c == '.' || c == '/' || c == ':' || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

bool hasSection(rotaryn::IniFile& ini, const std::string& path, const std::string& section) {
  for (const std::string& name : ini.sectionNames(path)) {
    if (rotaryn::vb::LCase(name) == rotaryn::vb::LCase(section)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  if (size == 0) return 0;
  const int operation = data[0] % 3;
  const bool encoded = (data[0] / 3) % 2 == 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  // One plug-in for the whole run, as a host keeps it; each input starts from no files.
  static fuzz::PluginHarness host;
  host.files.files.clear();
  host.dialogs.clearRecords();
  Module& module = host.module;
  const std::string taskFile = taskFileOf(module, 1);
  host.files.files[taskFile] =
      "[25/12/2026 20:00:00]\r\nFile=Desert.mpl\r\nFrequency=Once\r\n"
      "[01/01/2027 08:30:00]\r\nFile=Random\r\nFrequency=Daily\r\n";
  const std::string before = host.files.files[taskFile];
  const std::string adminLog =
      std::string(fuzz::PluginHarness::kRoot) + "\\profiles\\profile1\\adminlogs\\2026-12-07.txt";

  const Variant Data(encoded && operation != 2 ? formats::encodeBase64(text) : text);
  const Variant PDAT = fuzz::PluginHarness::pdat();
  int32_t result = 0;
  switch (operation) {
    case 0:
      result = AddTaskRem(module, 1, PDAT, Data);
      break;
    case 1:
      result = EditTaskRem(module, 1, PDAT, Data);
      break;
    default:
      result = DeleteTaskRem(module, 1, PDAT, Data);
      break;
  }
  if (result != 0 && result != 1) std::abort();
  // The fields the operation was given, as the memory component decodes them.
  std::vector<std::string> fields;
  if (operation != 2) {
    try {
      fields = vb::Split(encoded ? text : formats::decodeBase64(text), "|");
    } catch (const formats::Base64Error&) {
    }
  }
  const std::string logged = host.files.files.count(adminLog) ? host.files.files[adminLog] : "";
  IniFile ini(host.files, [](const IniWriteFailure&) {});

  if (result == 0) {
    if (!logged.empty()) std::abort();
    const size_t needed = operation == 0 ? 3 : 4;
    if (operation != 2 && fields.size() < needed && host.files.files[taskFile] != before) {
      std::abort();
    }
    return 0;
  }
  // One change, one whole admin-log line.
  if (lineCount(logged) != 1 || !logged.ends_with("\r\n")) std::abort();
  if (operation == 2) {
    if (hasSection(ini, taskFile, text)) std::abort();
    return 0;
  }
  const size_t first = operation == 0 ? 0 : 1;
  const std::string& section = fields[first];
  if (!hasSection(ini, taskFile, section) && plain(section)) std::abort();
  if (plain(section) && plain(fields[first + 1]) && plain(fields[first + 2])) {
    if (ini.read(taskFile, section, "File") != fields[first + 1]) std::abort();
    if (ini.read(taskFile, section, "Frequency") != fields[first + 2]) std::abort();
  }
  if (operation == 1 && vb::LCase(fields[0]) != vb::LCase(fields[1]) &&
      hasSection(ini, taskFile, fields[0])) {
    std::abort();
  }
  return 0;
}
