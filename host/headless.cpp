#include "host/headless.h"

#include <QCoreApplication>
#include <QTimer>
#include <iostream>
#include <memory>

#include "host/config/host_root.h"
#include "host/host_dialogs.h"
#include "host/host_signals.h"
#include "host/host_text.h"
#include "host/live_host.h"
#include "host/server_watch.h"

namespace rotaryn::host {
namespace {

void say(const std::string& text) {
  std::cout << "rotaryn-host: " << utf8FromWindows1252(text) << std::endl;
}

}  // namespace

int runHeadless(const HeadlessOptions& options) {
  int exitCode = 0;
  std::optional<LoadedRoot> loaded = loadRoot(options.rootPosix, exitCode);
  if (!loaded) return exitCode;

  std::unique_ptr<api::RemoteApi> remoteApi;
  // From here a stop signal waits for the event loop instead of killing a host half started.
  // A signal taken while start-up pumps events comes before the loop runs, where quit() does
  // nothing: the flag keeps it.
  bool stopRequested = false;
  HostSignals hostSignals({[&stopRequested](int signal) {
                             say(std::string("received ") + signalName(signal) + "; stopping");
                             stopRequested = true;
                             QCoreApplication::quit();
                           },
                           [&remoteApi] {
                             say("received SIGHUP; " + (remoteApi
                                                            ? remoteApi->reloadAdministrators()
                                                            : std::string("nothing to re-read")));
                           }});
  ConsoleDialogs dialogs(std::cout);
  LiveHost live(options.rootPosix, std::move(loaded->config), dialogs, say);
  if (!live.loadPlugin()) return kHeadlessCannotStart;
  HostApp& host = live.app();
  remoteApi = std::make_unique<api::RemoteApi>(host, options.rootPosix, say);
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

  if (!stopRequested) QCoreApplication::exec();

  watch.reset();
  remoteApi.reset();  // no request reaches the plug-in while it unloads
  live.shutDown();
  return kHeadlessDone;
}

}  // namespace rotaryn::host
