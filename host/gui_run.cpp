#include "host/gui_run.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <memory>

#include "components/gravik/process_memory.h"
#include "host/gui_main_window.h"
#include "host/gui_session.h"
#include "host/host_app.h"
#include "host/host_root.h"
#include "host/qt_timers.h"
#include "host/server_processes.h"
#include "platform/adapters/console_dialogs.h"
#include "platform/adapters/system_clock.h"
#include "platform/adapters/windows_file_system.h"
#include "ui/qt/qt_dialogs.h"

namespace rotaryn::host {
namespace {

// Long enough after the first profile is shown for its monitor to have read the server.
constexpr int kScreenshotDelayMs = 5000;

void say(const std::string& text) {
  std::cout << "rotaryn-host: " << utf8FromWindows1252(text) << std::endl;
}

// Saves the host window once a profile has been on show long enough, then closes it.
void takeScreenshotWhenShown(GuiMainWindow& window, GuiSession& session, const std::string& file) {
  auto* poll = new QTimer(&window);
  auto shownFor = std::make_shared<QElapsedTimer>();
  QObject::connect(poll, &QTimer::timeout, &window, [&window, &session, poll, shownFor, file] {
    if (!session.shownProfile()) return;
    if (!shownFor->isValid()) shownFor->start();
    if (shownFor->elapsed() < kScreenshotDelayMs) return;
    poll->stop();
    bool saved = window.grab().save(QString::fromStdString(file));
    say(saved ? "screenshot saved to " + file : "cannot save the screenshot to " + file);
    window.close();
  });
  poll->start(200);
}

}  // namespace

int runGui(const GuiOptions& options) {
  int exitCode = 0;
  std::optional<HostConfig> loaded = loadRoot(options.rootPosix, exitCode);
  if (!loaded) return exitCode;
  HostConfig& config = *loaded;

  GuiMainWindow window(QString::fromStdString("Rotaryn host - " + options.rootPosix));
  auto note = [&window](const std::string& text) {
    say(text);
    window.say(QString::fromStdString(utf8FromWindows1252(text)));
  };
  WindowsFileSystem files;
  SystemClock clock;
  QtTimers timers([note](const std::string& failure) { note("a timer tick failed: " + failure); });
  QtEventPump pump;
  QtDialogs dialogs;
  auto memory = std::make_shared<gravik::ProcessMemory>();
  for (const ProfileConfig& profile : config.profiles) {
    memory->setDelivery(profile.index, profile.delivery);
  }
  HostApp host(
      HostApp::Environment{options.rootPosix, files, clock, timers, pump, dialogs, memory, note},
      config);
  try {
    host.loadPluginFromRoot();
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    return kGuiCannotStart;
  }
  PLUGIN data = host.plugin().GetData();
  note("plug-in " + data.Name + " " + host.plugin().dllVersion("") + " loaded from " +
       pluginPathIn(options.rootPosix));
  window.setServerMenu(data);
  window.pluginArea().setAreaTwips(config.areaWidthTwips, config.areaHeightTwips);
  window.profiles().setProfiles(config.profiles);

  GuiSession session(host, window);
  ServerProcesses servers(
      findSimulator(config.simulator, options.rootPosix), options.rootPosix,
      ServerProcesses::Events{
          [&session](int32_t index, int32_t pid) { session.serverReady(index, pid); },
          [&session](int32_t index, int32_t pid, const std::string& how) {
            session.serverEnded(index, pid, how);
          },
          [&session](int32_t index, const std::string& problem) {
            session.serverFailed(index, problem);
          }});
  session.onEnded = [&] {
    note("plug-in unloaded (UnLoadInterface)");
    servers.stopAll(3000);
    note("servers stopped");
  };
  if (options.screenshotFile) takeScreenshotWhenShown(window, session, *options.screenshotFile);
  if (options.durationSeconds) {
    QTimer::singleShot(static_cast<int>(*options.durationSeconds * 1000), &window,
                       [&window] { window.close(); });
  }

  window.show();
  for (const ProfileConfig& profile : config.profiles) servers.start(profile);
  int code = QApplication::exec();
  session.end();  // while the servers it stops are still there
  return code == 0 ? kGuiDone : kGuiCannotStart;
}

}  // namespace rotaryn::host
