#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "platform/dialogs.h"
#include "platform/windows_1252.h"

namespace rotaryn {

// Dialogs for a host without a toolkit: each box is written to a stream (title, text, buttons
// and the answer given) and answered with its default button, Ok or Yes; file dialogs are
// cancelled with a line saying so. The core's Windows-1252 text is written as UTF-8.
class ConsoleDialogs final : public Dialogs {
 public:
  explicit ConsoleDialogs(std::ostream& out) : out_(out) {}

  MessageAnswer messageBox(const std::string& text, const std::string& title,
                           MessageButtons buttons) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  void setBusy(bool /*busy*/) override {}

 private:
  std::ostream& out_;
};

}  // namespace rotaryn
