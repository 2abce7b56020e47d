// The private-profile reader over any file content: every read call answers without crashing,
// a key listed in a section reads as its listed value (the first of its name; quotes taken off,
// cut to 254 characters), the listing of all sections at once agrees with the two listings, and
// a write followed by a read gives back what was written.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "memory_file_system.h"
#include "platform/ini_file.h"
#include "platform/vb_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  fuzz::MemoryFileSystem files;
  const std::string path = "C:\\f.ini";
  files.files[path] = std::string(reinterpret_cast<const char*>(data), size);
  IniFile ini(files, [](const IniWriteFailure&) {});
  std::vector<IniFile::Section> listed;
  for (const std::string& section : ini.sectionNames(path)) {
    listed.push_back({section, ini.sectionLines(path, section)});
    std::set<std::string> seen;  // key names already listed, in upper case
    for (const std::string& line : ini.sectionLines(path, section)) {
      const auto equals = line.find('=');
      const std::string name = line.substr(0, equals);
      if (!seen.insert(vb::UCase(name)).second || equals == std::string::npos) continue;
      std::string value = line.substr(equals + 1);
      if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value = value.substr(1, value.size() - 2);
      }
      if (ini.read(path, section, name, "\x01") != value.substr(0, 254)) std::abort();
    }
  }
  if (ini.sections(path) != listed) std::abort();
  // Writing into whatever the file held must keep the file readable and give the value back.
  const std::string section = "fuzz", key = "key", value = "value";
  if (ini.write(path, section, key, value) && ini.read(path, section, key) != value) std::abort();
  return 0;
}
