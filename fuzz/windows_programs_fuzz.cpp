// A process's command line (/proc/PID/cmdline, any bytes) as the host reads it looking for a
// server under Wine: the words it splits it into hold every byte but the separators, and
// whether it runs a program agrees with the program it names.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/windows_programs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn::host;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> words = splitCommandLine(bytes);
  size_t kept = 0;
  for (const std::string& word : words) {
    if (word.find('\0') != std::string::npos) std::abort();
    kept += word.size();
  }
  size_t nonNul = 0;
  for (char c : bytes) nonNul += c != '\0';
  if (kept != nonNul) std::abort();
  if (!words.empty() && isWindowsProgram(words[0])) {
    const std::string program(programFileName(words[0]));
    if (!runsWindowsProgram(words, program) || windowsProgramOf(words) != program) std::abort();
  }
  return 0;
}
