// The private-profile reader over any file content: every read call answers without crashing,
// and a write followed by a read gives back what was written.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "memory_file_system.h"
#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  fuzz::MemoryFileSystem files;
  const std::string path = "C:\\f.ini";
  files.files[path] = std::string(reinterpret_cast<const char*>(data), size);
  IniFile ini(files, [](const IniWriteFailure&) {});
  for (const std::string& section : ini.sectionNames(path)) {
    for (const std::string& line : ini.sectionLines(path, section)) {
      const auto equals = line.find('=');
      if (equals == std::string::npos) continue;
      (void)ini.read(path, section, line.substr(0, equals));
    }
  }
  // Writing into whatever the file held must keep the file readable and give the value back.
  const std::string section = "fuzz", key = "key", value = "value";
  if (ini.write(path, section, key, value) && ini.read(path, section, key) != value) std::abort();
  return 0;
}
