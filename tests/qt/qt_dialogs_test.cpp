#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "host/gui/dialogs.h"
#include "host/qt_timers.h"
#include "tests/qt/qt_test_application.h"

namespace rotaryn::host {
namespace {

QMessageBox* openBox() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

// One profile's timer opens a box; the other profile's timer, on the host's Qt timers, goes on
// ticking until the box is answered.
TEST(WindowDialogs, ABoxOpenedByOneProfilesTickLetsTheOtherProfilesTimerRun) {
  testing::qtApplication();
  WindowDialogs dialogs;
  QtTimers timers;
  int otherTicks = 0;
  int otherTicksWhileOpen = -1;
  std::optional<int> answer;

  timers.start("tmrMaps", 2, 5, [&] { ++otherTicks; });
  timers.start("tmrMaps", 1, 1, [&] {
    timers.stop("tmrMaps", 1);
    answer = dialogs.messageBox("Replace the list?", "Confirmation Required!",
                                TWK_ROTARYN_BUTTONS_YES_NO);
  });
  // The box is answered later from outside, as a user would.
  QTimer::singleShot(150, [&] {
    QMessageBox* box = openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Confirmation Required!");
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->buttons().size(), 2);
    otherTicksWhileOpen = otherTicks;
    box->button(QMessageBox::No)->click();
  });
  QElapsedTimer waited;
  waited.start();
  while (!answer && waited.elapsed() < 5000) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }

  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, TWK_ROTARYN_ANSWER_NO);
  EXPECT_GE(otherTicksWhileOpen, 5);
}

TEST(WindowDialogs, TheBusyCursorGivesWayWhileABoxIsOpen) {
  testing::qtApplication();
  WindowDialogs dialogs;
  dialogs.setBusy(true);
  dialogs.setBusy(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  bool arrowWhileOpen = false;
  QTimer::singleShot(0, [&] {
    arrowWhileOpen = QApplication::overrideCursor() == nullptr;
    if (QMessageBox* box = openBox()) box->close();
  });
  EXPECT_EQ(dialogs.messageBox("Saved.", "Success", TWK_ROTARYN_BUTTONS_OK), TWK_ROTARYN_ANSWER_OK);
  EXPECT_TRUE(arrowWhileOpen);
  EXPECT_NE(QApplication::overrideCursor(), nullptr);

  dialogs.setBusy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Choosing an existing file to save over asks nothing more.
TEST(WindowDialogs, TheSaveDialogAsksNoOverwriteQuestion) {
  testing::qtApplication();
  WindowDialogs dialogs;
  for (bool save : {true, false}) {
    std::optional<bool> asksToOverwrite;
    QTimer::singleShot(0, [&] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (dialog == nullptr || !dialog->isVisible()) continue;
        asksToOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->reject();
      }
    });
    FileDialogAsk ask{save, "Save map list", "Maplist files (*.mpl)|*.mpl", "C:\\", ""};
    EXPECT_EQ(dialogs.fileDialog(ask), std::nullopt);
    ASSERT_TRUE(asksToOverwrite.has_value());
    EXPECT_EQ(*asksToOverwrite, !save);
  }
}

// The host quits (its window closed, --duration, a screenshot run) while a box is open: the
// box closes with the answer of its close button, and no new box opens after that.
TEST(WindowDialogs, QuittingClosesAnOpenBoxWithItsCloseAnswer) {
  testing::qtApplication();
  WindowDialogs dialogs;
  QTimer::singleShot(20, [&] {
    ASSERT_EQ(dialogs.openCount(), 1u);
    dialogs.refuseNew();
    dialogs.closeAll();
  });
  EXPECT_EQ(
      dialogs.messageBox("Delete the task?", "Confirmation Required!", TWK_ROTARYN_BUTTONS_YES_NO),
      TWK_ROTARYN_ANSWER_NO);
  EXPECT_EQ(dialogs.openCount(), 0u);
  EXPECT_EQ(dialogs.messageBox("Saved.", "Success", TWK_ROTARYN_BUTTONS_OK), TWK_ROTARYN_ANSWER_OK);
  EXPECT_EQ(openBox(), nullptr);
}

}  // namespace
}  // namespace rotaryn::host
