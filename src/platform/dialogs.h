#pragma once

#include <optional>
#include <string>

namespace rotaryn {

enum class MessageButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
  std::string title;
  std::string filter;      // VB common-dialog filter, "Map Lists (*.mpl)|*.mpl"
  std::string initialDir;  // Windows path
  std::string defaultExt;
};

// Modal user interaction. While a box is open, events keep being processed (timers fire), so a
// caller may be re-entered.
class Dialogs {
 public:
  Dialogs() = default;
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;
  virtual ~Dialogs() = default;

  // Shows a box with no icon and returns the button pressed.
  virtual MessageAnswer messageBox(const std::string& text, const std::string& title,
                                   MessageButtons buttons) = 0;
  // Windows path of the chosen file; nullopt when cancelled.
  virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
  // The hourglass cursor on or off.
  virtual void setBusy(bool busy) = 0;
};

}  // namespace rotaryn
