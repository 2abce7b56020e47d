#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "host/gui/plugin_area.h"
#include "host/gui/profile_list.h"

namespace rotaryn::host {

// The host's main window: the profiles on the left, the area lent to the plug-in on the right,
// a "Server" menu with the entries the plug-in asked for, and a status line. It only shows and
// reports; the session decides what a choice does.
class GuiMainWindow final : public QMainWindow {
 public:
  explicit GuiMainWindow(const QString& title);

  GuiProfileList& profiles() { return *profiles_; }
  GuiPluginArea& pluginArea() { return *area_; }
  // One "Server" menu entry per text; empty texts are left out.
  void setServerMenu(const std::vector<QString>& entries);
  void say(const QString& text);
  // The entries the plug-in asks for in the host's server menu.

  std::function<void(const QString& entry)> onServerMenu;
  // The window is closing; the host ends its session before it goes.
  std::function<void()> onClosing;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  GuiProfileList* profiles_;
  GuiPluginArea* area_;
  QMenu* serverMenu_;
  bool closing_ = false;
};

}  // namespace rotaryn::host
