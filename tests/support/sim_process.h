#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rotaryn::testing {

// A dfbhd-sim child process for end-to-end tests and benchmarks. The constructor starts it with
// the given options and waits for its ready line; the destructor stops it (SIGTERM, then
// SIGKILL) and reaps it. The child also dies with the thread that started it (PDEATHSIG), so a
// crashed test leaves no server behind.
class SimProcess {
 public:
  // Throws std::runtime_error when the binary cannot start or prints no ready line in time.
  explicit SimProcess(std::vector<std::string> arguments = {});
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  int32_t pid() const { return static_cast<int32_t>(pid_); }
  const std::string& readyLine() const { return readyLine_; }
  // SIGTERM and wait; returns the exit status as waitpid gives it, -1 when it had to be killed.
  int stop();

  // The dfbhd-sim and rotaryn-memtool of this build tree.
  static std::string binaryPath();
  static std::string memtoolPath();
  // The 64-bit dfbhd-sim.exe of this build tree; empty when it was not built.
  static std::string windowsBinaryPath();
  // SimProcess objects made later run this program with these first arguments instead of
  // dfbhd-sim, such as {"/usr/lib/wine/wine64", windowsBinaryPath()}: the same server under Wine,
  // whose loader runs the Windows program in the process it starts.
  static void runWith(std::vector<std::string> command);

 private:
  pid_t pid_ = -1;
  int output_ = -1;  // its stdout, kept open so a late write never meets a closed pipe
  std::string readyLine_;
};

// A program run to its end: its exit code (-1 when it did not exit normally, or was killed
// after timeoutMs) and everything it printed.
struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Throws std::runtime_error when the program cannot be started.
ProgramRun runProgram(const std::string& binary, std::vector<std::string> arguments,
                      int timeoutMs = 10000);

}  // namespace rotaryn::testing
