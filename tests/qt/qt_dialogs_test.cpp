#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "host/qt_timers.h"
#include "tests/qt/qt_test_application.h"
#include "ui/qt/file_filter.h"
#include "ui/qt/qt_dialogs.h"

namespace rotaryn {
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
TEST(QtDialogs, ABoxOpenedByOneProfilesTickLetsTheOtherProfilesTimerRun) {
  testing::qtApplication();
  QtDialogs dialogs;
  host::QtTimers timers;
  int otherTicks = 0;
  int otherTicksWhileOpen = -1;
  std::optional<MessageAnswer> answer;

  timers.create("tmrMaps", 2, [&] { ++otherTicks; });
  timers.setInterval("tmrMaps", 2, 5);
  timers.start("tmrMaps", 2);
  timers.create("tmrMaps", 1, [&] {
    timers.stop("tmrMaps", 1);
    answer =
        dialogs.messageBox("Replace the list?", "Confirmation Required!", MessageButtons::YesNo);
  });
  timers.setInterval("tmrMaps", 1, 1);
  timers.start("tmrMaps", 1);
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
  EXPECT_EQ(*answer, MessageAnswer::No);
  EXPECT_GE(otherTicksWhileOpen, 5);
}

TEST(QtDialogs, TheBusyCursorGivesWayWhileABoxIsOpen) {
  testing::qtApplication();
  QtDialogs dialogs;
  dialogs.setBusy(true);
  dialogs.setBusy(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  bool arrowWhileOpen = false;
  QTimer::singleShot(0, [&] {
    arrowWhileOpen = QApplication::overrideCursor() == nullptr;
    if (QMessageBox* box = openBox()) box->close();
  });
  EXPECT_EQ(dialogs.messageBox("Saved.", "Success", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_TRUE(arrowWhileOpen);
  EXPECT_NE(QApplication::overrideCursor(), nullptr);

  dialogs.setBusy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtFileFilter, TurnsCommonDialogFiltersIntoQtOnes) {
  EXPECT_EQ(qtFileFilter("Map Lists (*.mpl)|*.mpl"), "Map Lists (*.mpl)");
  EXPECT_EQ(qtFileFilter("Map Lists|*.mpl|All Files|*.*"), "Map Lists (*.mpl);;All Files (*.*)");
  EXPECT_EQ(qtFileFilter("Maps (*.bms)|*.bms;*.til; *.wac"), "Maps (*.bms) (*.bms *.til *.wac)");
  EXPECT_EQ(qtFileFilter(""), "");
}

}  // namespace
}  // namespace rotaryn
