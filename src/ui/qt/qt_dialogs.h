#pragma once

#include "platform/dialogs.h"

namespace rotaryn {

// Dialogs for the window on screen. Boxes and file dialogs are modal and run their own event
// loop, so timers keep firing while one is open and the caller may be re-entered from them.
// They open over the application's active window. Call on the GUI thread only.
class QtDialogs final : public Dialogs {
 public:
  QtDialogs() = default;
  ~QtDialogs() override;

  MessageAnswer messageBox(const std::string& text, const std::string& title,
                           MessageButtons buttons) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  // Nested calls do not stack: one "off" ends the busy cursor.
  void setBusy(bool busy) override;

 private:
  std::optional<std::string> chooseFile(const FileDialogRequest& request, bool saving);

  bool busy_ = false;
};

}  // namespace rotaryn
