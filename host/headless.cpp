#include "host/headless.h"

#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <iostream>
#include <memory>

#include "host/host_dialogs.h"
#include "host/host_root.h"
#include "host/host_text.h"
#include "host/live_host.h"
#include "host/server_watch.h"

namespace rotaryn::host {
namespace {

// The write end of the pipe the signal handler wakes the event loop through.
int signalPipeWrite = -1;

void onStopSignal(int signal) {
  char byte = static_cast<char>(signal);
  // Nothing else is safe in a handler; a full pipe means a wake-up is pending anyway.
  [[maybe_unused]] ssize_t written = ::write(signalPipeWrite, &byte, 1);
}

// SIGTERM and SIGINT end the event loop through a pipe read on the loop's thread.
class StopSignals {
 public:
  explicit StopSignals(std::function<void(int)> stop) : stop_(std::move(stop)) {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
      throw std::runtime_error(std::string("cannot make a pipe: ") + strerror(errno));
    }
    signalPipeWrite = fds_[1];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      char byte = 0;
      if (::read(fds_[0], &byte, 1) == 1) stop_(byte);
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
  }
  ~StopSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    notifier_.reset();
    signalPipeWrite = -1;
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  int fds_[2] = {-1, -1};
  std::function<void(int)> stop_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

void say(const std::string& text) {
  std::cout << "rotaryn-host: " << utf8FromWindows1252(text) << std::endl;
}

}  // namespace

int runHeadless(const HeadlessOptions& options) {
  int exitCode = 0;
  std::optional<HostConfig> loaded = loadRoot(options.rootPosix, exitCode);
  if (!loaded) return exitCode;

  ConsoleDialogs dialogs(std::cout);
  LiveHost live(options.rootPosix, std::move(*loaded), dialogs, say);
  if (!live.loadPlugin()) return kHeadlessCannotStart;
  HostApp& host = live.app();
  auto remoteApi = std::make_unique<api::RemoteApi>(host, options.rootPosix, say);
  if (std::string problem = remoteApi->start(options.api); !problem.empty()) {
    std::cerr << "rotaryn-host: " << problem << "\n";
    live.shutDown();
    return kHeadlessCannotStart;
  }

  std::unique_ptr<ServerWatch> watch;
  if (options.watchMs > 0) watch = std::make_unique<ServerWatch>(host, options.watchMs, say);
  auto profileOf = [&host](int32_t index) -> const ProfileConfig& {
    return host.profile(index).config;
  };
  StopSignals stopSignals([&](int signal) {
    say(std::string("received ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") + "; stopping");
    QCoreApplication::quit();
  });
  if (live.config().profiles.empty()) say("host.ini lists no profile; waiting for a stop signal");
  live.startServers(ServerProcesses::Events{
      [&](int32_t index, int32_t pid) {
        const ProfileConfig& profile = profileOf(index);
        host.serverStarted(index, pid);
        std::string unreadable = host.loadProfile(index, 0);
        if (!unreadable.empty()) {
          say(labelOf(profile) + ": not loaded: its server (pid " + std::to_string(pid) +
              ") cannot be read: " + unreadable);
          return;
        }
        say(labelOf(profile) + ": loaded; its server runs as pid " + std::to_string(pid));
        if (watch) watch->watch(index, labelOf(profile));
      },
      [&](int32_t index, int32_t pid, const std::string& how) {
        if (watch) watch->forget(index);
        host.serverEnded(pid, how);
      },
      [&](int32_t index, const std::string& problem) {
        say(labelOf(profileOf(index)) + ": not loaded: " + problem);
      }});
  if (options.durationSeconds) {
    QTimer::singleShot(static_cast<int>(*options.durationSeconds * 1000), [] {
      say("the time given has passed; stopping");
      QCoreApplication::quit();
    });
  }

  QCoreApplication::exec();

  watch.reset();
  remoteApi.reset();  // no request reaches the plug-in while it unloads
  live.shutDown();
  return kHeadlessDone;
}

}  // namespace rotaryn::host
