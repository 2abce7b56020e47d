#include "host/gui/run.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <memory>

#include "host/config/host_root.h"
#include "host/gui/dialogs.h"
#include "host/gui/main_window.h"
#include "host/gui/session.h"
#include "host/host_signals.h"
#include "host/host_text.h"
#include "host/live_host.h"

namespace rotaryn::host {
namespace {

// Long enough after the first profile is shown for its monitor to have read the server.
constexpr int kScreenshotDelayMs = 5000;

void say(const std::string& text) {
  std::cout << "rotaryn-host: " << utf8FromWindows1252(text) << std::endl;
}

// Saves the host window once a profile has been on show long enough, then closes it.
void takeScreenshotWhenShown(GuiMainWindow& window, GuiSession& session, const std::string& file,
                             std::function<void()> quit) {
  auto* poll = new QTimer(&window);
  auto shownFor = std::make_shared<QElapsedTimer>();
  QObject::connect(
      poll, &QTimer::timeout, &window, [&window, &session, poll, shownFor, file, quit] {
        if (!session.shownProfile()) return;
        if (!shownFor->isValid()) shownFor->start();
        if (shownFor->elapsed() < kScreenshotDelayMs) return;
        poll->stop();
        bool saved = window.grab().save(QString::fromStdString(file));
        say(saved ? "screenshot saved to " + file : "cannot save the screenshot to " + file);
        quit();
      });
  poll->start(200);
}

}  // namespace

int runGui(const GuiOptions& options) {
  int exitCode = 0;
  std::optional<LoadedRoot> loaded = loadRoot(options.rootPosix, exitCode);
  if (!loaded) return exitCode;

  GuiMainWindow window(QString::fromStdString("Rotaryn host - " + options.rootPosix));
  auto note = [&window](const std::string& text) {
    say(text);
    window.say(fromWindows1252(text));
  };
  std::unique_ptr<api::RemoteApi> remoteApi;
  std::function<void()> quit;
  bool stopRequested = false;
  // From here a stop signal waits for the event loop, then quits as the window's close does.
  HostSignals hostSignals({[&](int signal) {
                             note(std::string("received ") + signalName(signal) + "; stopping");
                             stopRequested = true;
                             if (quit) quit();
                           },
                           [&] {
                             note("received SIGHUP; " + (remoteApi
                                                             ? remoteApi->reloadAdministrators()
                                                             : std::string("nothing to re-read")));
                           }});
  WindowDialogs dialogs;
  LiveHost live(options.rootPosix, std::move(loaded->config), dialogs, note);
  if (!live.loadPlugin()) return kGuiCannotStart;
  HostApp& host = live.app();
  remoteApi = std::make_unique<api::RemoteApi>(host, options.rootPosix, note);
  if (std::string problem = remoteApi->start(options.api); !problem.empty()) {
    std::cerr << "rotaryn-host: " << problem << "\n";
    live.shutDown();
    return kGuiCannotStart;
  }
  std::vector<QString> serverMenu = host.serverMenu();
  serverMenu.push_back(QString::fromLatin1(GuiSession::kSaveMapSettings));
  window.setServerMenu(serverMenu);
  window.pluginArea().setAreaTwips(live.config().areaWidthTwips, live.config().areaHeightTwips);
  window.profiles().setProfiles(live.config().profiles);

  GuiSession session(host, window);
  session.onEnded = [&] { live.shutDown(); };
  // Quitting while a box is open answers the box as its close button would, then closes the
  // window once the box's own event loop has returned.
  quit = [&window, &dialogs] {
    dialogs.refuseNew();
    dialogs.closeAll();
    QTimer::singleShot(0, &window, [&window] { window.close(); });
  };
  if (stopRequested) quit();  // a signal taken before there was a window to close
  if (options.screenshotFile) {
    takeScreenshotWhenShown(window, session, *options.screenshotFile, quit);
  }
  if (options.durationSeconds) {
    QTimer::singleShot(static_cast<int>(*options.durationSeconds * 1000), &window, quit);
  }

  window.show();
  live.startServers(ServerProcesses::Events{
      [&](int32_t index, int32_t pid) {
        session.serverReady(index, pid);
        // On the output too, for whoever runs the window from a script or a service.
        say(labelOf(host.profile(index).config) + (host.profile(index).loaded ? ": loaded;" : ":") +
            " its server runs as pid " + std::to_string(pid));
      },
      [&session](int32_t index, int32_t pid, const std::string& how) {
        session.serverEnded(index, pid, how);
      },
      [&session](int32_t index, const std::string& problem) {
        session.serverFailed(index, problem);
      }});
  // A stop taken while start-up pumped events may have closed the window before the loop runs.
  const int code = stopRequested && !window.isVisible() ? 0 : QApplication::exec();
  remoteApi.reset();  // no request reaches the plug-in while it unloads
  session.end();      // while the servers it stops are still there
  return code == 0 ? kGuiDone : kGuiCannotStart;
}

}  // namespace rotaryn::host
