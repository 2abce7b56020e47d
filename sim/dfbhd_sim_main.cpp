// dfbhd-sim: a DFBHD dedicated server as Rotaryn sees it. Maps every field of the chosen build
// at its real absolute address and runs the server model in real time, so the process backend
// of Gravik.clsMemory (and rotaryn-memtool) reads and writes it exactly as a real server.

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>

#include "sim/dfbhd_sim_options.h"
#include "sim/model/mapped_memory.h"

int main(int argc, char** argv) {
  rotaryn::sim::SimArguments arguments = rotaryn::sim::parseSimArguments(argc, argv);

  // SIGTERM and SIGINT arrive through a descriptor the tick loop waits on.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (stopFd < 0) {
    std::perror("dfbhd-sim: signalfd");
    return 1;
  }

  std::unique_ptr<rotaryn::sim::ServerModel> server = rotaryn::sim::makeServer(
      [] { return std::make_unique<rotaryn::sim::MappedMemory>(); }, arguments);
  if (server == nullptr) return 1;

  // Any process may read and write us, not only our ancestors (Yama ptrace_scope 1); without
  // Yama the call fails harmlessly.
  prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);

  std::cout << rotaryn::sim::readyLine(getpid(), arguments.server.build) << std::endl;

  bool failed = false;
  rotaryn::sim::runServer(*server, arguments.tickMs, [&](int ms) {
    pollfd wait{stopFd, POLLIN, 0};
    int ready = poll(&wait, 1, ms);
    if (ready < 0 && errno != EINTR) {
      std::perror("dfbhd-sim: poll");
      failed = true;
    }
    return ready > 0 || failed;
  });
  if (failed) return 1;
  if (arguments.verbose) std::cout << "dfbhd-sim: stopping" << std::endl;
  close(stopFd);
  return 0;
}
