#include "host/gui/session.h"

#include <QMessageBox>
#include <iostream>

#include "host/host_text.h"
#include "host/server_watch.h"

namespace rotaryn::host {

GuiSession::GuiSession(HostApp& host, GuiMainWindow& window) : host_(host), window_(window) {
  window_.profiles().onSelected = [this](int32_t index) { selected(index); };
  window_.profiles().onOpened = [this](int32_t index) { open(index); };
  window_.onServerMenu = [this](const QString& entry) {
    if (entry == QLatin1String(kSaveMapSettings)) {
      saveShown(false);
      return;
    }
    // The plug-in asks for one server menu entry, and it opens its window.
    if (std::optional<int32_t> index = window_.profiles().selectedProfile()) open(*index);
  };
  window_.onClosing = [this] { end(); };
  showNothing(QStringLiteral("Choose a profile and Server > Maps to manage its map rotation."));
  // As often as the plug-in's own monitor looks at the servers.
  games_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&games_, &QTimer::timeout, &games_, [this] { showGames(); });
  games_.start(2000);
}

GuiSession::~GuiSession() {
  end();
}

void GuiSession::serverReady(int32_t index, int32_t pid) {
  host_.serverStarted(index, pid);
  window_.profiles().setServerState(index, QStringLiteral("running, pid %1").arg(pid));
  // The first server up is shown at once; later ones wait to be picked.
  if (!shown_ && !ended_) {
    window_.profiles().selectProfile(index);
    open(index);
  } else if (opened_ && window_.profiles().selectedProfile() == index && shown_ != index) {
    open(index);
  }
}

void GuiSession::serverEnded(int32_t index, int32_t pid, const std::string& how) {
  host_.serverEnded(pid, how);
  window_.profiles().setServerState(index, QString::fromStdString("stopped: " + how));
  if (shown_ == index && !ended_) {
    host_.hideInterface();
    shown_.reset();
    showNothing(QStringLiteral("The server of %1 has stopped.").arg(labelOf(index)));
  }
}

void GuiSession::serverFailed(int32_t index, const std::string& problem) {
  window_.profiles().setServerState(index, QString::fromStdString("not started: " + problem));
}

void GuiSession::selected(int32_t index) {
  if (opened_ && shown_ != index) open(index);
}

void GuiSession::open(int32_t index) {
  if (ended_ || !host_.hasPlugin()) return;
  opened_ = true;
  if (!host_.profile(index).serverRunning) {
    if (shown_) host_.hideInterface();
    shown_.reset();
    showNothing(QStringLiteral("The server of %1 is not running.").arg(labelOf(index)));
    return;
  }
  // The shown profile is hidden first, as the host does when another one is chosen; it stays
  // loaded, so its timers go on.
  if (shown_ && *shown_ != index) host_.hideInterface();
  GuiPluginArea& area = window_.pluginArea();
  std::string unreadable = host_.loadProfile(index, area.windowId());
  shown_ = index;
  area.setTitle(QStringLiteral("Rotaryn - %1").arg(labelOf(index)));
  area.setHint(QString());
  showGames();
  window_.say(unreadable.empty() ? QStringLiteral("%1 loaded").arg(labelOf(index))
                                 : QStringLiteral("%1 not loaded: its server cannot be read: %2")
                                       .arg(labelOf(index), QString::fromStdString(unreadable)));
}

void GuiSession::end() {
  if (ended_) return;
  saveShown(true);
  ended_ = true;
  if (host_.hasPlugin()) host_.unload();
  shown_.reset();
  showNothing(QStringLiteral("The plug-in is unloaded."));
  if (onEnded) onEnded();
}

void GuiSession::saveShown(bool quietly) {
  if (ended_ || !host_.hasPlugin() || !shown_ || !host_.profile(*shown_).loaded) {
    if (!quietly) window_.say(QStringLiteral("No profile is shown: nothing to save."));
    return;
  }
  const std::string problem = host_.saveMapSettings(*shown_);
  const QString text =
      problem.empty() ? QStringLiteral("%1: map settings saved").arg(labelOf(*shown_))
                      : QStringLiteral("%1: %2").arg(labelOf(*shown_), fromWindows1252(problem));
  window_.say(text);
  if (problem.empty()) return;
  std::cerr << "rotaryn-host: " << text.toStdString() << "\n";
  if (!quietly) QMessageBox::warning(&window_, QStringLiteral("Rotaryn host"), text);
}

void GuiSession::showGames() {
  if (ended_ || !host_.hasPlugin()) return;
  for (const auto& [index, profile] : host_.profiles()) {
    if (!profile.loaded) {
      window_.profiles().setGame(index, QString(), QString(), QString());
      continue;
    }
    try {
      QJsonObject game = host_.serverState(index);
      window_.profiles().setGame(
          index, QString::fromStdString(formats::gameStateName(game.value("state").toInt())),
          game.value("map").toString(), game.value("nextMap").toString());
    } catch (const std::exception& error) {
      window_.profiles().setGame(index, QStringLiteral("cannot be read"), QString(), QString());
    }
  }
}

void GuiSession::showNothing(const QString& hint) {
  window_.pluginArea().setTitle(QStringLiteral("Rotaryn"));
  window_.pluginArea().setHint(hint);
}

QString GuiSession::labelOf(int32_t index) const {
  const ProfileConfig& profile = host_.profile(index).config;
  return QStringLiteral("profile %1 (%2)").arg(index).arg(fromWindows1252(profile.profileFolder));
}

}  // namespace rotaryn::host
