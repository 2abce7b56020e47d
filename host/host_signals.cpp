#include "host/host_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace rotaryn::host {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe; -1 when no HostSignals lives.
volatile sig_atomic_t signalPipeWrite = -1;

void onSignal(int signal) {
  const int savedErrno = errno;
  const char byte = static_cast<char>(signal);
  // A full pipe means wake-ups are pending anyway.
  [[maybe_unused]] ssize_t written = ::write(signalPipeWrite, &byte, 1);
  errno = savedErrno;
}

}  // namespace

HostSignals::HostSignals(Actions actions) : actions_(std::move(actions)) {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error(std::string("cannot make a pipe for signals: ") +
                             std::strerror(errno));
  }
  signalPipeWrite = fds_[1];
  notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readPipe(); });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

HostSignals::~HostSignals() {
  for (int signal : kSignals) ::signal(signal, SIG_DFL);
  notifier_.reset();
  signalPipeWrite = -1;
  ::close(fds_[0]);
  ::close(fds_[1]);
}

void HostSignals::readPipe() {
  char bytes[64];
  ssize_t n = 0;
  while ((n = ::read(fds_[0], bytes, sizeof bytes)) > 0 || (n < 0 && errno == EINTR)) {
    for (ssize_t i = 0; i < n; ++i) {
      if (bytes[i] == SIGHUP) {
        if (actions_.reload) actions_.reload();
      } else if (actions_.stop) {
        actions_.stop(bytes[i]);
      }
    }
  }
}

const char* signalName(int signal) {
  switch (signal) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

}  // namespace rotaryn::host
