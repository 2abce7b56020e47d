#pragma once

#include <QJsonObject>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "host/port_table.h"

namespace rotaryn::host {

// Headless: every box is printed and answered with its first button; no file dialog opens.
class ConsoleDialogs final : public HostDialogs {
 public:
  explicit ConsoleDialogs(std::ostream& out) : out_(out) {}
  int messageBox(const QString& text, const QString& title, int buttons) override;
  std::optional<QString> fileDialog(const FileDialogAsk& ask) override;
  void setBusy(bool) override {}

 private:
  std::ostream& out_;
};

// A script's dialogs: answers queued by the script, every box and file dialog recorded and
// written to the transcript as it opens. A queued answer the next box does not offer is a
// mistake of the script: the box gets its first button and the run stops after the line.
class ScriptDialogs final : public HostDialogs {
 public:
  struct Box {
    QString title, text;
    int buttons = 0;
    int answer = 0;
  };
  struct FileDialog {
    FileDialogAsk ask;
    std::optional<QString> answer;
  };

  explicit ScriptDialogs(std::function<void(const QJsonObject&)> record);

  void queueAnswer(int answer) { answers_.push_back(answer); }
  void queueFile(bool save, std::optional<QString> path) {
    (save ? saveAnswers_ : openAnswers_).push_back(std::move(path));
  }
  size_t unusedAnswers() const { return answers_.size(); }
  // The mistake of the last box, once; empty when there was none.
  QString takeFault() { return std::exchange(fault_, {}); }
  const std::vector<Box>& boxes() const { return boxes_; }
  const std::vector<FileDialog>& fileDialogs() const { return fileDialogs_; }
  bool busy() const { return busy_; }

  int messageBox(const QString& text, const QString& title, int buttons) override;
  std::optional<QString> fileDialog(const FileDialogAsk& ask) override;
  void setBusy(bool busy) override { busy_ = busy; }

  static QJsonObject boxJson(const Box& box);
  static QJsonObject fileDialogJson(const FileDialog& dialog);

 private:
  std::function<void(const QJsonObject&)> record_;
  std::deque<int> answers_;
  std::deque<std::optional<QString>> openAnswers_, saveAnswers_;
  std::vector<Box> boxes_;
  std::vector<FileDialog> fileDialogs_;
  QString fault_;
  bool busy_ = false;
};

// Windows paths of the plug-in and this machine's paths: drive letters stand for "/", "\" for
// "/".
QString posixFromWindows(const QString& windowsPath);
QString windowsFromPosix(const QString& posixPath);

}  // namespace rotaryn::host
