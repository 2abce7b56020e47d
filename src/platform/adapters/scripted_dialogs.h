#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace rotaryn {

// Dialogs answered from a script, for tests and the host's script mode. Every box and file
// dialog is recorded in the order it opened (a box opened from inside another's hook comes
// after it). Single-threaded.
class ScriptedDialogs final : public Dialogs {
 public:
  struct MessageBoxRecord {
    std::string text;
    std::string title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer answer = MessageAnswer::Ok;
  };
  struct FileDialogRecord {
    bool save = false;
    FileDialogRequest request;
    std::optional<std::string> answer;
  };

  // Answers for the next boxes, in order. A box with no queued answer presses its first
  // button (Ok, or Yes); a queued answer the box does not offer throws std::logic_error when
  // that box opens, as a mistake of the script.
  void queueAnswer(MessageAnswer answer);
  // Answers for the next open / save dialogs (nullopt = cancelled); an unqueued one cancels.
  void queueOpenFile(std::optional<std::string> path);
  void queueSaveFile(std::optional<std::string> path);
  size_t queuedAnswers() const { return answers_.size(); }

  // Run while a box (or file dialog) is open, after it is recorded and before it returns, as
  // events run under a modal box: a hook may advance time, fire timers, open more boxes.
  void onMessageBox(std::function<void(const MessageBoxRecord&)> hook);
  void onFileDialog(std::function<void(const FileDialogRecord&)> hook);

  const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }
  const std::vector<FileDialogRecord>& fileDialogs() const { return fileDialogs_; }
  // Forgets the records (not the queues).
  void clearRecords();
  bool busy() const { return busy_; }

  MessageAnswer messageBox(const std::string& text, const std::string& title,
                           MessageButtons buttons) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  void setBusy(bool busy) override { busy_ = busy; }

 private:
  std::optional<std::string> fileDialog(bool save, const FileDialogRequest& request);

  std::deque<MessageAnswer> answers_;
  std::deque<std::optional<std::string>> openAnswers_;
  std::deque<std::optional<std::string>> saveAnswers_;
  std::function<void(const MessageBoxRecord&)> boxHook_;
  std::function<void(const FileDialogRecord&)> fileHook_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<FileDialogRecord> fileDialogs_;
  bool busy_ = false;
};

}  // namespace rotaryn
