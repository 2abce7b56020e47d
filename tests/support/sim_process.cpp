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

namespace rotaryn::testing {
namespace {

constexpr int kReadyTimeoutMs = 10000;

bool waitForExit(pid_t pid, int timeoutMs, int& status) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno == ECHILD)) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::string SimProcess::binaryPath() { return ROTARYN_DFBHD_SIM_PATH; }

SimProcess::SimProcess(std::vector<std::string> arguments) {
  std::string binary = binaryPath();
  std::vector<char*> argv;
  argv.push_back(binary.data());
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    throw std::runtime_error("fork failed");
  }
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(pipeFds[1], STDOUT_FILENO);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  output_ = pipeFds[0];

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

SimProcess::~SimProcess() { stop(); }

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

}  // namespace rotaryn::testing
