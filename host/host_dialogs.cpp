#include "host/host_dialogs.h"

#include <algorithm>

namespace rotaryn::host {

int ConsoleDialogs::messageBox(const QString& text, const QString& title, int buttons) {
  int answer = answersOffered(buttons).front();
  out_ << "[" << title.toStdString() << "] " << text.toStdString() << " ("
       << buttonsName(buttons).toStdString() << " -> " << answerName(answer).toStdString() << ")\n";
  out_.flush();
  return answer;
}

std::optional<QString> ConsoleDialogs::fileDialog(const FileDialogAsk& ask) {
  out_ << "[" << ask.title.toStdString() << "] no " << (ask.save ? "save" : "open")
       << " file dialog is available headless; cancelled\n";
  out_.flush();
  return std::nullopt;
}

ScriptDialogs::ScriptDialogs(std::function<void(const QJsonObject&)> record)
    : record_(std::move(record)) {}

QJsonObject ScriptDialogs::boxJson(const Box& box) {
  return QJsonObject{{"title", box.title},
                     {"text", box.text},
                     {"buttons", buttonsName(box.buttons)},
                     {"answer", answerName(box.answer)}};
}

QJsonObject ScriptDialogs::fileDialogJson(const FileDialog& dialog) {
  return QJsonObject{
      {"kind", dialog.ask.save ? "save" : "open"},
      {"title", dialog.ask.title},
      {"filter", dialog.ask.filter},
      {"initialDir", dialog.ask.initialDir},
      {"answer", dialog.answer ? QJsonValue(*dialog.answer) : QJsonValue(QJsonValue::Null)}};
}

int ScriptDialogs::messageBox(const QString& text, const QString& title, int buttons) {
  std::vector<int> offered = answersOffered(buttons);
  int answer = offered.front();
  if (!answers_.empty()) {
    int queued = answers_.front();
    answers_.pop_front();
    if (std::find(offered.begin(), offered.end(), queued) != offered.end()) {
      answer = queued;
    } else if (fault_.isEmpty()) {
      fault_ = "the queued answer " + answerName(queued) + " is not a button of the " +
               buttonsName(buttons) + " box \"" + text + "\"";
    }
  }
  boxes_.push_back(Box{title, text, buttons, answer});
  record_(QJsonObject{{"box", boxJson(boxes_.back())}});
  return answer;
}

std::optional<QString> ScriptDialogs::fileDialog(const FileDialogAsk& ask) {
  auto& queue = ask.save ? saveAnswers_ : openAnswers_;
  std::optional<QString> answer;
  if (!queue.empty()) {
    answer = queue.front();
    queue.pop_front();
  }
  fileDialogs_.push_back(FileDialog{ask, answer});
  record_(QJsonObject{{"fileDialog", fileDialogJson(fileDialogs_.back())}});
  return answer;
}

QString posixFromWindows(const QString& windowsPath) {
  QString path = windowsPath;
  if (path.size() >= 2 && path[1] == ':' && path[0].isLetter()) path = path.mid(2);
  path.replace('\\', '/');
  return path;
}

QString windowsFromPosix(const QString& posixPath) {
  QString path = posixPath;
  path.replace('/', '\\');
  return "C:" + path;
}

}  // namespace rotaryn::host
