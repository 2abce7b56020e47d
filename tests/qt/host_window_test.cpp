#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <memory>
#include <string>
#include <vector>

#include "components/gravik/simulated_memory.h"
#include "host/gui_main_window.h"
#include "host/gui_session.h"
#include "host/host_app.h"
#include "host/host_root.h"
#include "host/qt_timers.h"
#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/system_clock.h"
#include "platform/adapters/windows_file_system.h"
#include "plugin/cls_plugin.h"
#include "tests/qt/qt_test_application.h"
#include "tests/support/scratch_folder.h"
#include "ui/frm_rotaryn_maps.h"
#include "ui/qt/frm_rotaryn_maps_view.h"

namespace rotaryn::host {
namespace {

constexpr int32_t kFirstPid = 4101;
constexpr int32_t kSecondPid = 4102;

// The host's window on two simulated servers, both up, nothing opened yet.
class HostWindow : public ::testing::Test {
 protected:
  HostWindow() {
    config = parseHostConfig(
        "[Host]\r\nAreaWidth = 11040\r\nAreaHeight = 8400\r\n"
        "[Profile 1]\r\nServer = simulated\r\nGameFolder = game1\r\nProfileFolder = alpha\r\n"
        "[Profile 2]\r\nServer = simulated\r\nGameFolder = game2\r\nProfileFolder = bravo\r\n",
        "host.ini", root.path());
    layOutRoot(root.path(), config.profiles);
    memory->addServer(kFirstPid);
    memory->addServer(kSecondPid);
    host = std::make_unique<HostApp>(
        HostApp::Environment{root.path(), files, clock, timers, pump, dialogs, memory,
                             [this](const std::string& text) { notes.push_back(text); }},
        config);
    host->linkPlugin();
    window.setServerMenu(host->plugin().GetData());
    window.pluginArea().setAreaTwips(config.areaWidthTwips, config.areaHeightTwips);
    window.profiles().setProfiles(config.profiles);
    session = std::make_unique<GuiSession>(*host, window);
    host->serverStarted(1, kFirstPid);
    host->serverStarted(2, kSecondPid);
    window.show();
  }
  ~HostWindow() override {
    session.reset();
    host.reset();
  }

  QAction* serverMenuEntry(const QString& text) {
    for (QAction* menu : window.menuBar()->actions()) {
      if (menu->menu() == nullptr || menu->text() != QStringLiteral("&Server")) continue;
      for (QAction* entry : menu->menu()->actions()) {
        if (entry->text() == text) return entry;
      }
    }
    return nullptr;
  }

  // Both timers of the profile exist and run.
  bool timersRun(int32_t index) const {
    for (const char* name : {kMonitorTimer, kTaskTimer}) {
      if (!timers.exists(name, index) || !timers.isRunning(name, index)) return false;
    }
    return true;
  }

  frmRotarynMaps* model() { return host->plugin().module().window.get(); }

  QApplication& application = testing::qtApplication();  // before any widget
  ScratchFolder root;
  HostConfig config;
  WindowsFileSystem files;
  SystemClock clock;
  QtTimers timers;
  QtEventPump pump;
  ScriptedDialogs dialogs;
  std::shared_ptr<gravik::SimulatedMemory> memory = std::make_shared<gravik::SimulatedMemory>();
  std::vector<std::string> notes;
  std::unique_ptr<HostApp> host;
  GuiMainWindow window{QStringLiteral("Rotaryn host")};
  std::unique_ptr<GuiSession> session;
};

TEST_F(HostWindow, TheServerMenuHoldsThePluginsEntry) {
  EXPECT_NE(serverMenuEntry(QStringLiteral("Maps")), nullptr);
  EXPECT_EQ(model(), nullptr);
  EXPECT_EQ(session->view(), nullptr);
}

TEST_F(HostWindow, MapsLoadsThePluginForTheSelectedProfileIntoTheContainer) {
  window.profiles().selectProfile(2);
  ASSERT_NE(serverMenuEntry(QStringLiteral("Maps")), nullptr);
  serverMenuEntry(QStringLiteral("Maps"))->trigger();

  ASSERT_NE(model(), nullptr);
  EXPECT_EQ(host->plugin().module().CurrentProfile, 2);
  EXPECT_EQ(model()->parentWindow(), window.pluginArea().windowId());
  ASSERT_NE(session->view(), nullptr);
  EXPECT_EQ(session->view()->parentWidget(), &window.pluginArea());
  EXPECT_EQ(session->view()->geometry(), QRect(2, 30, 11040 / 15, 8400 / 15 - 28));
  EXPECT_TRUE(session->view()->isVisible());
  EXPECT_EQ(session->shownProfile(), 2);
  EXPECT_TRUE(timersRun(2));
  EXPECT_FALSE(timersRun(1));
  EXPECT_TRUE(dialogs.boxes().empty()) << dialogs.boxes().front().text;
}

TEST_F(HostWindow, SwitchingProfilesReloadsTheWindowAndKeepsEveryLoadedProfilesTimers) {
  window.profiles().selectProfile(1);
  serverMenuEntry(QStringLiteral("Maps"))->trigger();
  ASSERT_EQ(session->shownProfile(), 1);

  window.profiles().selectProfile(2);
  EXPECT_EQ(session->shownProfile(), 2);
  EXPECT_EQ(host->plugin().module().CurrentProfile, 2);
  ASSERT_NE(model(), nullptr);
  EXPECT_TRUE(model()->isVisible());
  EXPECT_TRUE(session->view()->isVisible());
  EXPECT_TRUE(timersRun(1));
  EXPECT_TRUE(timersRun(2));

  window.profiles().selectProfile(1);
  EXPECT_EQ(host->plugin().module().CurrentProfile, 1);
  EXPECT_TRUE(timersRun(1));
  EXPECT_TRUE(timersRun(2));
  EXPECT_TRUE(dialogs.boxes().empty()) << dialogs.boxes().front().text;
}

TEST_F(HostWindow, ClosingTheWindowUnloadsThePlugin) {
  int ended = 0;
  session->onEnded = [&ended] { ++ended; };
  window.profiles().selectProfile(1);
  serverMenuEntry(QStringLiteral("Maps"))->trigger();
  window.profiles().selectProfile(2);
  ASSERT_TRUE(timersRun(1));

  window.close();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(model(), nullptr);
  EXPECT_EQ(session->view(), nullptr);
  EXPECT_EQ(session->shownProfile(), std::nullopt);
  EXPECT_FALSE(timersRun(1));
  EXPECT_FALSE(timersRun(2));
}

}  // namespace
}  // namespace rotaryn::host
