#include "platform/adapters/console_dialogs.h"

#include <array>
#include <cstdint>

#include "platform/adapters/dialog_names.h"

namespace rotaryn {
namespace {

void writeFileDialog(std::ostream& out, const char* kind, const FileDialogRequest& request) {
  out << "[" << utf8FromWindows1252(request.title) << "] no " << kind
      << " file dialog is available headless; cancelled\n";
  out.flush();
}

}  // namespace

MessageAnswer ConsoleDialogs::messageBox(const std::string& text, const std::string& title,
                                         MessageButtons buttons) {
  MessageAnswer answer = firstButton(buttons);
  out_ << "[" << utf8FromWindows1252(title) << "] " << utf8FromWindows1252(text) << " ("
       << messageButtonsName(buttons) << " -> " << messageAnswerName(answer) << ")\n";
  out_.flush();
  return answer;
}

std::optional<std::string> ConsoleDialogs::openFile(const FileDialogRequest& request) {
  writeFileDialog(out_, "open", request);
  return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::saveFile(const FileDialogRequest& request) {
  writeFileDialog(out_, "save", request);
  return std::nullopt;
}

}  // namespace rotaryn
