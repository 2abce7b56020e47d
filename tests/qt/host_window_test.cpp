#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <memory>
#include <string>
#include <vector>

#include "host/config/host_root.h"
#include "host/gui/main_window.h"
#include "host/gui/session.h"
#include "host/host_app.h"
#include "host/host_dialogs.h"
#include "host/qt_timers.h"
#include "host/script/runner.h"
#include "host/script/simulated_servers.h"
#include "tests/qt/qt_test_application.h"
#include "tests/support/scratch_folder.h"

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
    servers.set().add(kFirstPid);
    servers.set().add(kSecondPid);
    host = std::make_unique<HostApp>(
        HostApp::Environment{root.path(), clock, timers, pump, dialogs, &servers,
                             [this](const std::string& text) { notes.push_back(text); }},
        config);
    // The plug-in as a host has it: its library in the root's Plugins folder.
    installPlugin(kBuiltPluginLibrary, root.path());
    host->loadPlugin();
    window.setServerMenu(host->serverMenu());
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

  // Both timers of the profile run.
  bool timersRun(int32_t index) const {
    return timers.isArmed("tmrMaps", index) && timers.isArmed("tmrMapTasks", index);
  }

  // The plug-in's window as its automation describes it; null when there is none.
  QJsonObject model() {
    QJsonObject window =
        host->plugin().automate(QJsonObject{{"dump", "window"}}).value("result").toObject();
    return window.value("exists").toBool() ? window : QJsonObject{};
  }
  // The widget the plug-in placed into the host's container.
  QWidget* view() {
    return window.pluginArea().findChild<QWidget*>("frmRotarynMaps", Qt::FindDirectChildrenOnly);
  }

  QApplication& application = testing::qtApplication();  // before any widget
  ScratchFolder root;
  HostConfig config;
  SystemClock clock;
  QtTimers timers;
  QtEventPump pump;
  ScriptDialogs dialogs{[](const QJsonObject&) {}};
  SimulatedServers servers;
  std::vector<std::string> notes;
  std::unique_ptr<HostApp> host;
  GuiMainWindow window{QStringLiteral("Rotaryn host")};
  std::unique_ptr<GuiSession> session;
};

TEST_F(HostWindow, MapsLoadsThePluginForTheSelectedProfileIntoTheContainer) {
  ASSERT_NE(serverMenuEntry(QStringLiteral("Maps")), nullptr);
  EXPECT_TRUE(model().isEmpty()) << "nothing opened before the entry is chosen";
  EXPECT_EQ(view(), nullptr);
  window.profiles().selectProfile(2);
  serverMenuEntry(QStringLiteral("Maps"))->trigger();

  ASSERT_FALSE(model().isEmpty());
  EXPECT_EQ(model().value("currentProfile").toInt(), 2);
  EXPECT_EQ(static_cast<int64_t>(model().value("parent").toDouble()),
            window.pluginArea().windowId());
  ASSERT_NE(view(), nullptr);
  EXPECT_EQ(view()->parentWidget(), &window.pluginArea());
  EXPECT_EQ(view()->geometry(), QRect(2, 30, 11040 / 15, 8400 / 15 - 28));
  EXPECT_TRUE(view()->isVisible());
  EXPECT_EQ(session->shownProfile(), 2);
  // The profile list shows the loaded profile's game as the plug-in reads it; not the other's.
  sim::ServerModel& second = servers.set().at(kSecondPid);
  EXPECT_EQ(window.profiles().item(1, 4)->text(), "game running");
  EXPECT_EQ(window.profiles().item(1, 5)->text().toStdString(), second.textAt("CurMap"));
  const auto& rotation = second.rotation();
  ASSERT_FALSE(rotation.empty());
  const size_t next = static_cast<size_t>(second.currentPosition() + 1) % rotation.size();
  EXPECT_EQ(window.profiles().item(1, 6)->text().toStdString(), rotation[next].displayName);
  EXPECT_TRUE(window.profiles().item(0, 4)->text().isEmpty());
  EXPECT_TRUE(timersRun(2));
  EXPECT_FALSE(timersRun(1));
  EXPECT_TRUE(dialogs.boxes().empty()) << dialogs.boxes().front().text.toStdString();

  // At the window's default size every column is in view, none narrower than its texts.
  QCoreApplication::processEvents();
  GuiProfileList& list = window.profiles();
  for (int column = 0; column < list.columnCount(); ++column) {
    EXPECT_LE(list.columnViewportPosition(column) + list.columnWidth(column),
              list.viewport()->width())
        << "column " << column;
    for (int row = 0; row < list.rowCount(); ++row) {
      EXPECT_LT(list.fontMetrics().horizontalAdvance(list.item(row, column)->text()),
                list.columnWidth(column))
          << "row " << row << ", column " << column;
    }
  }
}

TEST_F(HostWindow, SwitchingProfilesReloadsTheWindowAndKeepsEveryLoadedProfilesTimers) {
  window.profiles().selectProfile(1);
  serverMenuEntry(QStringLiteral("Maps"))->trigger();
  ASSERT_EQ(session->shownProfile(), 1);

  window.profiles().selectProfile(2);
  EXPECT_EQ(session->shownProfile(), 2);
  EXPECT_EQ(model().value("currentProfile").toInt(), 2);
  ASSERT_FALSE(model().isEmpty());
  EXPECT_TRUE(model().value("visible").toBool());
  EXPECT_TRUE(view()->isVisible());
  EXPECT_TRUE(timersRun(1));
  EXPECT_TRUE(timersRun(2));

  window.profiles().selectProfile(1);
  EXPECT_EQ(model().value("currentProfile").toInt(), 1);
  EXPECT_TRUE(timersRun(1));
  EXPECT_TRUE(timersRun(2));
  EXPECT_TRUE(dialogs.boxes().empty()) << dialogs.boxes().front().text.toStdString();
}

}  // namespace
}  // namespace rotaryn::host
