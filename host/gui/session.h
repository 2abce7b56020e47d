#pragma once

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/gui/main_window.h"
#include "host/host_app.h"

namespace rotaryn::host {

// What the windowed host does with its profiles: it opens the plug-in's window for the profile
// the user picks (the "Maps" server menu entry, a double click), reloads it when another
// profile is picked while it is open, hides it when that profile's server is gone, and unloads
// the plug-in when the host closes. A profile opened once stays loaded, so its timers keep
// running while another profile is shown. The window must outlive the session.
class GuiSession {
 public:
  // The host's own server-menu entry: the shown profile's window content saved as its
  // lastknownsettings.ini (also done when the host quits).
  static constexpr const char* kSaveMapSettings = "Save Map Settings";

  GuiSession(HostApp& host, GuiMainWindow& window);
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

  // Server events, as ServerProcesses reports them.
  void serverReady(int32_t index, int32_t pid);
  void serverEnded(int32_t index, int32_t pid, const std::string& how);
  void serverFailed(int32_t index, const std::string& problem);

  // LoadInterface for the profile in the plug-in area; a profile without a server is refused
  // with a hint instead.
  void open(int32_t index);
  // Unloads the plug-in (UnLoadInterface); nothing is shown afterwards. Closing the window
  // ends the session.
  void end();
  // The session has ended (once).
  std::function<void()> onEnded;

  std::optional<int32_t> shownProfile() const { return shown_; }

 private:
  void selected(int32_t index);
  // SaveMapSettings of the shown profile; a failure is shown in a box, or only noted when
  // `quietly` (the host is quitting and takes no new boxes).
  void saveShown(bool quietly);
  // Refreshes the profile list's game columns of every loaded profile.
  void showGames();
  void showNothing(const QString& hint);
  QString labelOf(int32_t index) const;

  HostApp& host_;
  GuiMainWindow& window_;
  std::optional<int32_t> shown_;
  bool opened_ = false;  // the user has the plug-in open: picking a profile reloads it
  bool ended_ = false;
  QTimer games_;
};

}  // namespace rotaryn::host
