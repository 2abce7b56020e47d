#include "tests/support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#ifndef ROTARYN_DFBHD_SIM_PATH
#error "ROTARYN_DFBHD_SIM_PATH names the dfbhd-sim binary (tests/CMakeLists.txt)"
#endif
#ifndef ROTARYN_MEMTOOL_PATH
#error "ROTARYN_MEMTOOL_PATH names the rotaryn-memtool binary (tests/CMakeLists.txt)"
#endif

namespace rotaryn::testing {
namespace {

constexpr int kReadyTimeoutMs = 10000;

std::vector<std::string>& launcher() {
  static std::vector<std::string> command;
  return command;
}

bool waitForExit(pid_t pid, int timeoutMs, int& status) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno == ECHILD)) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Starts the program with the arguments, its stdout (and stderr when given) into the pipes' write
// ends, which the parent then closes. The child dies with the thread that started it.
pid_t spawn(std::string binary, std::vector<std::string> arguments, int out, int err = -1) {
  std::vector<char*> argv{binary.data()};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(out, STDOUT_FILENO);
    if (err >= 0) dup2(err, STDERR_FILENO);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(out);
  if (err >= 0) close(err);
  if (pid < 0) throw std::runtime_error("fork failed");
  return pid;
}

}  // namespace

std::string SimProcess::binaryPath() {
  return ROTARYN_DFBHD_SIM_PATH;
}

std::string SimProcess::memtoolPath() {
  return ROTARYN_MEMTOOL_PATH;
}

std::string SimProcess::windowsBinaryPath() {
#ifdef ROTARYN_WINE64_SIM_PATH
  return ROTARYN_WINE64_SIM_PATH;
#else
  return {};
#endif
}

void SimProcess::runWith(std::vector<std::string> command) {
  launcher() = std::move(command);
}

SimProcess::SimProcess(std::vector<std::string> arguments) {
  std::vector<std::string> command = launcher();
  if (command.empty()) command.push_back(binaryPath());
  arguments.insert(arguments.begin(), command.begin() + 1, command.end());
  const std::string binary = command.front();
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  output_ = pipeFds[0];
  pid_ = spawn(binary, std::move(arguments), pipeFds[1]);

  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
  std::string received;
  while (received.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd wait{output_, POLLIN, 0};
    int ready = left.count() > 0 ? poll(&wait, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    char buffer[256];
    ssize_t got = ready > 0 ? read(output_, buffer, sizeof buffer) : 0;
    if (got <= 0) {
      stop();
      throw std::runtime_error("dfbhd-sim (" + binary + ") printed no ready line; got \"" +
                               received + "\"");
    }
    received.append(buffer, static_cast<size_t>(got));
  }
  readyLine_ = received.substr(0, received.find('\n'));
  if (readyLine_.rfind("dfbhd-sim ready pid=" + std::to_string(pid_), 0) != 0) {
    stop();
    throw std::runtime_error("unexpected ready line from dfbhd-sim: \"" + readyLine_ + "\"");
  }
}

SimProcess::~SimProcess() {
  stop();
}

int SimProcess::stop() {
  int status = 0;
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (!waitForExit(pid_, 3000, status)) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      status = -1;
    }
    pid_ = -1;
  }
  if (output_ >= 0) {
    close(output_);
    output_ = -1;
  }
  return status;
}

ProgramRun runProgram(const std::string& binary, std::vector<std::string> arguments,
                      int timeoutMs) {
  int outFds[2];
  int errFds[2];
  if (pipe2(outFds, O_CLOEXEC) != 0 || pipe2(errFds, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t pid = spawn(binary, std::move(arguments), outFds[1], errFds[1]);

  ProgramRun run;
  pollfd streams[2] = {{outFds[0], POLLIN, 0}, {errFds[0], POLLIN, 0}};
  std::string* texts[2] = {&run.out, &run.err};
  int open = 2;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    int ready = poll(streams, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (streams[i].fd < 0 || streams[i].revents == 0) continue;
      char buffer[4096];
      ssize_t got = read(streams[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        texts[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(streams[i].fd);
        streams[i].fd = -1;
        --open;
      }
    }
  }
  for (const pollfd& stream : streams) {
    if (stream.fd >= 0) close(stream.fd);
  }
  int status = 0;
  if (!waitForExit(pid, open > 0 ? 0 : timeoutMs, status)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return run;
  }
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

}  // namespace rotaryn::testing
