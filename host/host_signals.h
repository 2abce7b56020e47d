#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace rotaryn::host {

// SIGTERM, SIGINT and SIGHUP for the window and headless modes. The handler only writes the
// signal's number into a pipe; the actions run on the event loop's thread when it reads the
// pipe, so they may do anything the host does (unload the plug-in, read files). One at a time.
class HostSignals {
 public:
  struct Actions {
    std::function<void(int signal)> stop;  // SIGTERM or SIGINT
    std::function<void()> reload;          // SIGHUP
  };

  // Needs a Q(Core)Application. Throws std::runtime_error when the pipe cannot be made.
  explicit HostSignals(Actions actions);
  ~HostSignals();
  HostSignals(const HostSignals&) = delete;
  HostSignals& operator=(const HostSignals&) = delete;

 private:
  void readPipe();

  int fds_[2] = {-1, -1};
  Actions actions_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

// "SIGTERM", "SIGINT", "SIGHUP".
const char* signalName(int signal);

}  // namespace rotaryn::host
