#pragma once

#include <QString>
#include <optional>
#include <set>

#include "host/port_table.h"

class QDialog;

namespace rotaryn::host {

// The window: modal Qt boxes and file dialogs over the active window; events keep running while
// one is open. closeAll() answers every open one as its close button would, so the host can quit
// while a box is open.
class WindowDialogs final : public HostDialogs {
 public:
  ~WindowDialogs() override;
  int messageBox(const QString& text, const QString& title, int buttons) override;
  std::optional<QString> fileDialog(const FileDialogAsk& ask) override;
  // Nested calls do not stack: one "off" ends the busy cursor.
  void setBusy(bool busy) override;
  void closeAll();
  // Boxes refuse to open from now on (each answers as if closed), for a host that is quitting.
  void refuseNew() { refusing_ = true; }
  size_t openCount() const { return open_.size(); }

 private:
  int run(QDialog& dialog);

  std::set<QDialog*> open_;
  bool busy_ = false;
  bool refusing_ = false;
};

}  // namespace rotaryn::host
