#include "host/windows_programs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace rotaryn::host {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool isWineLoader(std::string_view word) {
  static const std::set<std::string, std::less<>> loaders{
      "wine",           "wine64",           "wine-stable",      "wine64-stable",
      "wine-preloader", "wine64-preloader", "wine-development", "wine64-development"};
  return loaders.count(programFileName(word)) != 0;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The parent pid from /proc/PID/stat: the field after the command name in parentheses, which
// may itself hold blanks and parentheses.
int32_t parentOf(const std::string& stat) {
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(stat.substr(close + 1));
  std::string state;
  int32_t parent = 0;
  rest >> state >> parent;
  return parent;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view bytes) {
  while (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
  std::vector<std::string> words;
  if (bytes.empty()) return words;
  size_t start = 0;
  for (;;) {
    size_t end = bytes.find('\0', start);
    words.emplace_back(bytes.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return words;
    start = end + 1;
  }
}

std::string_view programFileName(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isWindowsProgram(std::string_view word) {
  std::string_view name = programFileName(word);
  return name.size() > 4 && sameIgnoringCase(name.substr(name.size() - 4), ".exe");
}

std::optional<std::string> windowsProgramOf(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (isWindowsProgram(word)) return std::string(programFileName(word));
  }
  return std::nullopt;
}

bool runsWindowsProgram(const std::vector<std::string>& commandLine, std::string_view program) {
  if (commandLine.empty()) return false;
  if (sameIgnoringCase(programFileName(commandLine[0]), program)) return true;
  return commandLine.size() > 1 && isWineLoader(commandLine[0]) &&
         sameIgnoringCase(programFileName(commandLine[1]), program);
}

std::vector<ProcessInfo> listProcesses(const std::string& procRoot) {
  std::vector<ProcessInfo> processes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
    const std::string name = entry.path().filename().string();
    int32_t pid = 0;
    auto [end, failed] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (failed != std::errc{} || end != name.data() + name.size()) continue;
    ProcessInfo process;
    process.pid = pid;
    process.commandLine = splitCommandLine(readFile(entry.path() / "cmdline"));
    if (process.commandLine.empty()) continue;
    process.parent = parentOf(readFile(entry.path() / "stat"));
    processes.push_back(std::move(process));
  }
  std::sort(processes.begin(), processes.end(),
            [](const ProcessInfo& a, const ProcessInfo& b) { return a.pid < b.pid; });
  return processes;
}

std::vector<ProcessInfo> processesRunning(const std::vector<ProcessInfo>& processes,
                                          std::string_view program) {
  std::vector<ProcessInfo> found;
  for (const ProcessInfo& process : processes) {
    if (runsWindowsProgram(process.commandLine, program)) found.push_back(process);
  }
  return found;
}

std::optional<int32_t> runningUnder(const std::vector<ProcessInfo>& processes, int32_t root,
                                    std::string_view program) {
  std::vector<int32_t> family{root};
  for (size_t next = 0; next < family.size(); ++next) {
    for (const ProcessInfo& process : processes) {
      if (process.pid == family[next] && runsWindowsProgram(process.commandLine, program)) {
        return process.pid;
      }
    }
    for (const ProcessInfo& process : processes) {
      if (process.parent == family[next] &&
          std::find(family.begin(), family.end(), process.pid) == family.end()) {
        family.push_back(process.pid);
      }
    }
  }
  return std::nullopt;
}

std::string describeProcess(const ProcessInfo& process) {
  std::string text = std::to_string(process.pid) + " (";
  for (size_t i = 0; i < process.commandLine.size(); ++i) {
    if (i > 0) text += ' ';
    text += process.commandLine[i];
  }
  return text + ")";
}

}  // namespace rotaryn::host
