#include "ui/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/adapters/dialog_names.h"
#include "platform/adapters/windows_file_system.h"
#include "platform/vb_error.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/text_codec.h"

namespace rotaryn {
namespace {

QMessageBox::StandardButtons standardButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return QMessageBox::Ok;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton standardButtonOf(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok:
      return QMessageBox::Ok;
    case MessageAnswer::Cancel:
      return QMessageBox::Cancel;
    case MessageAnswer::Yes:
      return QMessageBox::Yes;
    case MessageAnswer::No:
      return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

// A box closed without a button (window manager, Escape) answers as its escape button would:
// Cancel where there is one, No for Yes/No, else Ok.
MessageAnswer answerOf(QMessageBox::StandardButton pressed, MessageButtons buttons) {
  switch (pressed) {
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    case QMessageBox::Cancel:
      return MessageAnswer::Cancel;
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    default:
      break;
  }
  if (offersAnswer(buttons, MessageAnswer::Cancel)) return MessageAnswer::Cancel;
  if (offersAnswer(buttons, MessageAnswer::No)) return MessageAnswer::No;
  return MessageAnswer::Ok;
}

QString posixFolderOf(const std::string& windowsPath) {
  if (windowsPath.empty()) return {};
  try {
    return QString::fromStdString(WindowsFileSystem::toPosix(windowsPath));
  } catch (const VbError&) {
    return {};  // a folder on another drive: let the dialog start where it likes
  }
}

}  // namespace

QtDialogs::~QtDialogs() {
  if (busy_ && QApplication::instance() != nullptr) QApplication::restoreOverrideCursor();
}

MessageAnswer QtDialogs::messageBox(const std::string& text, const std::string& title,
                                    MessageButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, fromWindows1252(title), fromWindows1252(text),
                  standardButtonsOf(buttons), QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(standardButtonOf(firstButton(buttons)));
  // An open box is answered with the ordinary pointer even while the caller is busy.
  bool wasBusy = busy_;
  setBusy(false);
  box.exec();
  setBusy(wasBusy);
  QAbstractButton* clicked = box.clickedButton();
  return answerOf(clicked != nullptr ? box.standardButton(clicked) : QMessageBox::NoButton,
                  buttons);
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& request) {
  return chooseFile(request, false);
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& request) {
  return chooseFile(request, true);
}

std::optional<std::string> QtDialogs::chooseFile(const FileDialogRequest& request, bool saving) {
  QFileDialog dialog(QApplication::activeWindow(), fromWindows1252(request.title),
                     posixFolderOf(request.initialDir), qtFileFilter(request.filter));
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(fromWindows1252(request.defaultExt));
  bool wasBusy = busy_;
  setBusy(false);
  int result = dialog.exec();
  setBusy(wasBusy);
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return WindowsFileSystem::toWindowsPath(toWindows1252(dialog.selectedFiles().front()));
}

void QtDialogs::setBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace rotaryn
