#include "host/gui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "host/host_dialogs.h"

namespace rotaryn::host {
namespace {

QMessageBox::StandardButton standardButton(int answer) {
  switch (answer) {
    case TWK_ROTARYN_ANSWER_CANCEL:
      return QMessageBox::Cancel;
    case TWK_ROTARYN_ANSWER_YES:
      return QMessageBox::Yes;
    case TWK_ROTARYN_ANSWER_NO:
      return QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

int answerOf(QMessageBox::StandardButton pressed) {
  switch (pressed) {
    case QMessageBox::Ok:
      return TWK_ROTARYN_ANSWER_OK;
    case QMessageBox::Cancel:
      return TWK_ROTARYN_ANSWER_CANCEL;
    case QMessageBox::Yes:
      return TWK_ROTARYN_ANSWER_YES;
    case QMessageBox::No:
      return TWK_ROTARYN_ANSWER_NO;
    default:
      return 0;
  }
}

// A box closed without a button (window manager, Escape, the host quitting) answers as its
// escape button would: Cancel where there is one, No for Yes/No, else Ok.
int closedAnswer(int buttons) {
  std::vector<int> offered = answersOffered(buttons);
  for (int escape : {TWK_ROTARYN_ANSWER_CANCEL, TWK_ROTARYN_ANSWER_NO}) {
    if (std::find(offered.begin(), offered.end(), escape) != offered.end()) return escape;
  }
  return TWK_ROTARYN_ANSWER_OK;
}

// "Map Lists (*.mpl)|*.mpl|All Files|*.*" -> "Map Lists (*.mpl);;All Files (*.*)".
QString qtFileFilter(const QString& filter) {
  QStringList parts = filter.split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
    out << (description.endsWith(')') ? description : description + " (" + patterns + ")");
  }
  return out.join(";;");
}

}  // namespace

WindowDialogs::~WindowDialogs() {
  if (busy_ && QApplication::instance() != nullptr) QApplication::restoreOverrideCursor();
}

int WindowDialogs::run(QDialog& dialog) {
  open_.insert(&dialog);
  // An open box is answered with the ordinary pointer even while the caller is busy.
  bool wasBusy = busy_;
  setBusy(false);
  int result = dialog.exec();
  setBusy(wasBusy);
  open_.erase(&dialog);
  return result;
}

int WindowDialogs::messageBox(const QString& text, const QString& title, int buttons) {
  if (refusing_) return closedAnswer(buttons);
  QMessageBox::StandardButtons shown;
  for (int answer : answersOffered(buttons)) shown |= standardButton(answer);
  QMessageBox box(QMessageBox::NoIcon, title, text, shown, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(standardButton(answersOffered(buttons).front()));
  run(box);
  QAbstractButton* clicked = box.clickedButton();
  int answer = clicked != nullptr ? answerOf(box.standardButton(clicked)) : 0;
  return answer != 0 ? answer : closedAnswer(buttons);
}

std::optional<QString> WindowDialogs::fileDialog(const FileDialogAsk& ask) {
  if (refusing_) return std::nullopt;
  QFileDialog dialog(QApplication::activeWindow(), ask.title, posixFromWindows(ask.initialDir),
                     qtFileFilter(ask.filter));
  dialog.setAcceptMode(ask.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(ask.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The plug-in's save replaces the chosen file in one step and asks nothing first.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, ask.save);
  if (!ask.defaultExt.isEmpty()) dialog.setDefaultSuffix(ask.defaultExt);
  if (run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return windowsFromPosix(dialog.selectedFiles().front());
}

void WindowDialogs::setBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void WindowDialogs::closeAll() {
  // Each reject ends one nested exec(); the callers then answer as for a closed box.
  for (QDialog* dialog : std::vector<QDialog*>(open_.begin(), open_.end())) dialog->reject();
}

}  // namespace rotaryn::host
