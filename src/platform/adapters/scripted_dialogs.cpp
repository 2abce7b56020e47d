#include "platform/adapters/scripted_dialogs.h"

#include <stdexcept>

#include "platform/adapters/dialog_names.h"

namespace rotaryn {

void ScriptedDialogs::queueAnswer(MessageAnswer answer) {
  answers_.push_back(answer);
}

void ScriptedDialogs::queueOpenFile(std::optional<std::string> path) {
  openAnswers_.push_back(std::move(path));
}

void ScriptedDialogs::queueSaveFile(std::optional<std::string> path) {
  saveAnswers_.push_back(std::move(path));
}

void ScriptedDialogs::onMessageBox(std::function<void(const MessageBoxRecord&)> hook) {
  boxHook_ = std::move(hook);
}

void ScriptedDialogs::onFileDialog(std::function<void(const FileDialogRecord&)> hook) {
  fileHook_ = std::move(hook);
}

void ScriptedDialogs::clearRecords() {
  boxes_.clear();
  fileDialogs_.clear();
}

MessageAnswer ScriptedDialogs::messageBox(const std::string& text, const std::string& title,
                                          MessageButtons buttons) {
  MessageAnswer answer = firstButton(buttons);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
    if (!offersAnswer(buttons, answer)) {
      throw std::logic_error("scripted answer " + std::string(messageAnswerName(answer)) +
                             " for a " + std::string(messageButtonsName(buttons)) + " box \"" +
                             text + "\"");
    }
  }
  MessageBoxRecord record{text, title, buttons, answer};
  boxes_.push_back(record);
  // The hook gets its own record (boxes it opens grow the list) and runs from a copy (it may
  // replace itself).
  if (auto hook = boxHook_) hook(record);
  return answer;
}

std::optional<std::string> ScriptedDialogs::fileDialog(bool save,
                                                       const FileDialogRequest& request) {
  auto& queue = save ? saveAnswers_ : openAnswers_;
  std::optional<std::string> answer;
  if (!queue.empty()) {
    answer = std::move(queue.front());
    queue.pop_front();
  }
  FileDialogRecord record{save, request, answer};
  fileDialogs_.push_back(record);
  if (auto hook = fileHook_) hook(record);
  return answer;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileDialogRequest& request) {
  return fileDialog(false, request);
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileDialogRequest& request) {
  return fileDialog(true, request);
}

}  // namespace rotaryn
