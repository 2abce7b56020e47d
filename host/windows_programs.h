#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rotaryn::host {

// Windows programs run by Wine, as Linux sees them. Wine runs a Windows program in a Linux
// process of its own and rewrites that process's command line to the Windows one, so
// /proc/PID/cmdline of a server started as `wine C:\dfbhd\dfbhd.exe /w` reads
// "C:\dfbhd\dfbhd.exe", "/w" (before Wine has rewritten it: the loader, then the program).

struct ProcessInfo {
  int32_t pid = 0;
  int32_t parent = 0;
  std::vector<std::string> commandLine;
};

// The command-line words of /proc/PID/cmdline (NUL-separated, trailing NULs dropped).
std::vector<std::string> splitCommandLine(std::string_view bytes);
// The last component of a Linux or Windows path: "dfbhd.exe" of "C:\dfbhd\dfbhd.exe".
std::string_view programFileName(std::string_view path);
// Whether the word names a Windows executable: a file name ending in ".exe", any letter case.
bool isWindowsProgram(std::string_view word);
// The Windows program a command line starts: its first word naming one, as its file name.
std::optional<std::string> windowsProgramOf(const std::vector<std::string>& words);
// Whether the process runs that Windows program (a file name, compared without letter case):
// its first word names it, or its first word is a Wine loader and its second names it.
bool runsWindowsProgram(const std::vector<std::string>& commandLine, std::string_view program);

// Every process of /proc that can be read (others' processes included, where cmdline is
// readable); kernel threads and zombies, whose command line is empty, are left out.
std::vector<ProcessInfo> listProcesses(const std::string& procRoot = "/proc");
// The processes running the program.
std::vector<ProcessInfo> processesRunning(const std::vector<ProcessInfo>& processes,
                                          std::string_view program);
// The process running the program among root and its descendants: root itself when it does,
// else the first descendant found.
std::optional<int32_t> runningUnder(const std::vector<ProcessInfo>& processes, int32_t root,
                                    std::string_view program);
// "4242 (C:\dfbhd\dfbhd.exe /w)", for messages.
std::string describeProcess(const ProcessInfo& process);

}  // namespace rotaryn::host
