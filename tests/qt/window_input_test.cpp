#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include "tests/qt/qt_test_application.h"
#include "tests/support/ui_window_fixture.h"
#include "ui/qt/frm_rotaryn_maps_view.h"
#include "ui/qt/grid_binding.h"
#include "ui/qt/popup_menu_binding.h"

namespace rotaryn {
namespace {

// The view hands each input to the model; the model's own tests prove what the handlers do.
class WindowInput : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::qtApplication();
    host.addProfile(WindowFixture::kProfile);
    w = &host.load();
    view = std::make_unique<FrmRotarynMapsView>(*w);
    w->move(0, 0, 760, 540);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  }
  // Counts the runs of a button's action instead of doing it.
  int& count(Button& button) {
    int& runs = runs_[button.name()];
    button.action = [&runs] { ++runs; };
    return runs;
  }
  GridView* grid(const FlexGrid& grid) const { return view->gridOf(grid.name())->view(); }
  QPoint rowCentre(const FlexGrid& g, int row) const {
    return grid(g)->visualRect(grid(g)->model()->index(row, 0)).center();
  }
  // As a user does it: the first click selects, the second one is the double click.
  void doubleClick(const FlexGrid& g, int row) {
    QWidget* viewport = grid(g)->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(g, row));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, rowCentre(g, row));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(g, row));
  }
  // A drag from the list that enters the current maps, passes over them and is dropped at a
  // point; Qt delivers the drop only to a widget that accepted the drag's entry.
  void dropOnCurrent(QPoint at) {
    QWidget* viewport = grid(w->mfgCurrent)->viewport();
    QMimeData data;
    data.setData(GridView::kDragMimeType, QByteArray());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    ASSERT_TRUE(drop.isAccepted());
  }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
  std::unique_ptr<FrmRotarynMapsView> view;
  std::map<std::string, int> runs_;
};

TEST_F(WindowInput, AButtonActsOnTheReleaseOfAnyMouseButtonAndADisabledOneNever) {
  int& updates = count(w->cmdUpdate);
  QWidget* update = view->widgetOf("cmdUpdate");
  QTest::mousePress(update, Qt::LeftButton);
  EXPECT_EQ(updates, 0);
  QTest::mouseRelease(update, Qt::LeftButton);
  EXPECT_EQ(updates, 1);
  QTest::mouseClick(update, Qt::RightButton);
  EXPECT_EQ(updates, 2);

  int& edits = count(w->cmdEditTask);
  QTest::mouseClick(view->widgetOf("cmdEditTask"), Qt::LeftButton);
  EXPECT_EQ(edits, 0);
}

TEST_F(WindowInput, PlusAndEqualsMoveUpAndMinusMovesDownInTheCurrentMaps) {
  std::vector<std::string> before = host.gridRows(w->mfgCurrent);
  GridView* current = grid(w->mfgCurrent);
  w->mfgCurrent.setRow(2);
  QTest::keyClicks(current, "+=-x");  // up to row 1, up to row 0, down to row 1
  EXPECT_EQ(host.gridRows(w->mfgCurrent),
            (std::vector<std::string>{before[0], before[2], before[1], before[3]}));
  EXPECT_EQ(w->mfgCurrent.Row(), 1);

  // Arrow keys stay the grid's own: they move the selection, and the model follows.
  std::vector<std::string> moved = host.gridRows(w->mfgCurrent);
  w->mfgCurrent.setRow(0);
  QTest::keyClick(current, Qt::Key_Down);
  EXPECT_EQ(w->mfgCurrent.Row(), 1);
  EXPECT_EQ(host.gridRows(w->mfgCurrent), moved);
}

TEST_F(WindowInput, DoubleClicksAddFromTheListAndRemoveFromTheCurrentMaps) {
  std::vector<std::string> before = host.gridRows(w->mfgCurrent);
  doubleClick(w->mfgList, 1);
  EXPECT_EQ(w->mfgList.Row(), 1);
  ASSERT_EQ(w->mfgCurrent.Rows(), static_cast<int>(before.size()) + 1);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(w->mfgCurrent.Rows() - 1, 0), w->mfgList.TextMatrix(1, 0));

  doubleClick(w->mfgCurrent, 2);
  std::vector<std::string> after = host.gridRows(w->mfgCurrent);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(after[2], before[3]);
}

TEST_F(WindowInput, ADropLandsTheSelectedMapAtTheRowUnderThePointerOrAtTheEnd) {
  int before = w->mfgCurrent.Rows();
  std::string dragged = w->mfgList.TextMatrix(2, 0);
  w->mfgList.setRow(2);
  dropOnCurrent(rowCentre(w->mfgCurrent, 1));
  ASSERT_EQ(w->mfgCurrent.Rows(), before + 1);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(1, 0), dragged);
  EXPECT_EQ(grid(w->mfgCurrent)->model()->index(1, 0).data().toString().toStdString(), dragged);

  // Below the last row there is no row to land on: the map goes to the end.
  dropOnCurrent(QPoint(10, grid(w->mfgCurrent)->viewport()->height() - 2));
  ASSERT_EQ(w->mfgCurrent.Rows(), before + 2);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(before + 1, 0), dragged);
  EXPECT_EQ(host.gridRows(w->mfgCurrent), host.currentListRows());
}

TEST_F(WindowInput, RightPressOnTheListPicksTheRowAndOpensTheMenu) {
  QTest::mousePress(grid(w->mfgList)->viewport(), Qt::RightButton, {}, rowCentre(w->mfgList, 2));
  EXPECT_EQ(w->mfgList.Row(), 2);
  EXPECT_EQ(w->mnuMain.popups, 1);
  QMenu* menu = view->popupMenu()->menu();
  EXPECT_TRUE(menu->isVisible());
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "Add New Map to Game Folder");
  menu->hide();

  bool added = false;
  w->mnuAdd.action = [&added] { added = true; };
  menu->actions()[0]->trigger();
  EXPECT_TRUE(added);
}

TEST_F(WindowInput, PointerOverTheCurrentMapsNamesTheRowsGameType) {
  QTest::mouseMove(grid(w->mfgCurrent)->viewport(), rowCentre(w->mfgCurrent, 1));
  int32_t type = w->mfgCurrent.RowData(1);
  EXPECT_EQ(w->mfgCurrent.toolTipText.get(), w->GameTypeNames[static_cast<size_t>(type)]);
  EXPECT_EQ(grid(w->mfgCurrent)->viewport()->toolTip().toStdString(),
            w->GameTypeNames[static_cast<size_t>(type)]);
}

TEST_F(WindowInput, EditsInBoxesPickersAndTabsReachTheModel) {
  auto* tkoth = qobject_cast<QLineEdit*>(view->widgetOf("txtTkoth"));
  tkoth->clear();
  QTest::keyClicks(tkoth, "25");
  EXPECT_EQ(w->txtTkoth.text.get(), "25");

  auto* frequency = qobject_cast<QComboBox*>(view->widgetOf("cboAddFrequency"));
  frequency->activated(2);  // what choosing the third entry from the list emits
  EXPECT_EQ(w->cboAddFrequency.text.get(), "Every Week");

  qobject_cast<QSlider*>(view->widgetOf("sldTimer"))->triggerAction(QSlider::SliderSingleStepSub);
  EXPECT_EQ(w->sldTimer.value, 8);

  w->chkAutoLoad.value = 0;
  QTest::mouseClick(view->widgetOf("chkAutoLoad"), Qt::LeftButton);
  EXPECT_EQ(w->chkAutoLoad.value, 1);

  qobject_cast<QTabWidget*>(view->widgetOf("ssmTab"))->setCurrentIndex(2);
  EXPECT_EQ(w->ssmTab.tab, 2);

  // The time picker changes the time only; the date it does not show stays the model's.
  w->dtEditTime.value = DateTime{2026, 12, 5, 16, 20, 9};
  qobject_cast<QDateTimeEdit*>(view->widgetOf("dtEditTime"))->setTime(QTime(8, 30, 0));
  EXPECT_EQ(w->dtEditTime.value.get(), (DateTime{2026, 12, 5, 8, 30, 0}));
  w->dtEditDate.value = DateTime{2026, 12, 5, 16, 20, 9};
  qobject_cast<QDateTimeEdit*>(view->widgetOf("dtEditDate"))->setDate(QDate(2027, 1, 31));
  EXPECT_EQ(w->dtEditDate.value.get(), (DateTime{2027, 1, 31, 16, 20, 9}));
}

}  // namespace
}  // namespace rotaryn
