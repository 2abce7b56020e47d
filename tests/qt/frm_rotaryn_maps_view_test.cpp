#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "tests/qt/qt_test_application.h"
#include "tests/support/ui_window_fixture.h"
#include "ui/qt/frm_rotaryn_maps_view.h"
#include "ui/qt/grid_binding.h"
#include "ui/qt/twips.h"
#include "ui/window_controls_table.h"

namespace rotaryn {
namespace {

class ViewFollowsModel : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::qtApplication();
    host.addProfile(WindowFixture::kProfile);
    w = &host.load();
    view = std::make_unique<FrmRotarynMapsView>(*w);
  }
  template <class T>
  T* widget(const std::string& control) const {
    auto* found = qobject_cast<T*>(view->widgetOf(control));
    EXPECT_NE(found, nullptr) << control;
    return found;
  }
  QAbstractItemModel* rowsOf(const std::string& grid) const {
    return view->gridOf(grid)->view()->model();
  }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
  std::unique_ptr<FrmRotarynMapsView> view;
};

TEST_F(ViewFollowsModel, ShowsTheLoadedWindowAndEveryLaterChange) {
  auto* tabs = widget<QTabWidget>("ssmTab");
  w->lblSnum.caption = "5 / 255";
  w->txtTdm.text = "75";
  w->chkAutoLoad.value = 1;
  w->sldTimer.value = 4;
  w->dtAddTime.value = DateTime{2026, 12, 5, 16, 20, 9};
  w->ssmTab.tab = 2;
  w->cmdSkip.enabled = false;
  w->Frame4.visible = false;
  EXPECT_EQ(widget<QLabel>("lblSnum")->text(), "5 / 255");
  EXPECT_EQ(widget<QLineEdit>("txtTdm")->text(), "75");
  EXPECT_TRUE(widget<QCheckBox>("chkAutoLoad")->isChecked());
  EXPECT_EQ(widget<QSlider>("sldTimer")->value(), 4);
  EXPECT_EQ(widget<QDateTimeEdit>("dtAddTime")->time(), QTime(16, 20, 9));
  EXPECT_EQ(tabs->currentIndex(), 2);
  EXPECT_FALSE(widget<QLabel>("cmdSkip")->isEnabled());
  EXPECT_TRUE(widget<QGroupBox>("Frame4")->isHidden());

  // A text the box does not list is shown, not silently replaced by an entry.
  w->cboEditFile.text = "missing.mpl";
  EXPECT_EQ(widget<QComboBox>("cboEditFile")->currentIndex(), -1);
  EXPECT_EQ(widget<QComboBox>("cboEditFile")->placeholderText(), "missing.mpl");
}

// The view is made from the window's design: each designed control has its widget, inside its
// frame or on its tab page, at its designed place.
TEST_F(ViewFollowsModel, EveryDesignedControlHasItsWidgetInItsContainerAtItsPlace) {
  auto* tabs = widget<QTabWidget>("ssmTab");
  for (const ControlDesign& design : kWindowControls) {
    if (design.kind == ControlKind::MenuItem) continue;
    QWidget* shown = view->widgetOf(std::string(design.name));
    ASSERT_NE(shown, nullptr) << design.name;
    if (design.kind == ControlKind::Menu) continue;
    QWidget* container = design.container.empty() ? view.get()
                         : design.container == "ssmTab"
                             ? tabs->widget(design.tabPage)
                             : view->widgetOf(std::string(design.container));
    EXPECT_EQ(shown->parentWidget(), container) << design.name;
    // A push button's designed place is its face's; the caption sits inside it.
    QWidget* placed = design.kind == ControlKind::Button
                          ? view->widgetOf(std::string(design.name) + "Img")
                          : shown;
    ASSERT_NE(placed, nullptr) << design.name;
    EXPECT_EQ(placed->geometry(), pixelRect(design.place)) << design.name;
  }
  EXPECT_NE(qobject_cast<QToolButton*>(view->widgetOf("cmdRandomize")), nullptr);
}

TEST_F(ViewFollowsModel, GridsShowRowsColoursTitlesAndTheSelection) {
  QAbstractItemModel* current = rowsOf("mfgCurrent");
  ASSERT_EQ(current->rowCount(), w->mfgCurrent.Rows());
  for (int row = 0; row < w->mfgCurrent.Rows(); ++row) {
    EXPECT_EQ(current->index(row, 0).data().toString().toStdString(),
              w->mfgCurrent.TextMatrix(row, 0));
    bool stock = w->mfgCurrent.backColorAt(row, 0) == kStockBackColor;
    QVariant background = current->index(row, 0).data(Qt::BackgroundRole);
    EXPECT_EQ(background.isValid() ? background.value<QColor>() : QColor(),
              stock ? QColor(0xD0, 0xD0, 0xD0) : QColor())
        << row;
  }

  // The task grid's fixed row is its title row, not a task.
  QAbstractItemModel* tasks = rowsOf("mfgTask");
  EXPECT_EQ(tasks->rowCount(), 0);
  EXPECT_EQ(tasks->headerData(1, Qt::Horizontal).toString(), "Frequency");
  EXPECT_FALSE(view->gridOf("mfgTask")->view()->horizontalHeader()->isHidden());
  EXPECT_TRUE(view->gridOf("mfgList")->view()->horizontalHeader()->isHidden());

  w->mfgCurrent.setRow(1);
  w->mfgCurrent.setRowSel(2);
  QItemSelectionModel* selection = view->gridOf("mfgCurrent")->view()->selectionModel();
  EXPECT_EQ(selection->selectedRows().size(), 2);
  EXPECT_EQ(selection->currentIndex().row(), 2);

  w->mfgCurrent.AddItem("Added <ADDED.BMS>");
  EXPECT_EQ(current->rowCount(), w->mfgCurrent.Rows());
  EXPECT_EQ(current->index(w->mfgCurrent.Rows() - 1, 0).data().toString(), "Added <ADDED.BMS>");
}

TEST_F(ViewFollowsModel, AGridWithRedrawOffKeepsItsPictureUntilRedrawIsOn) {
  QAbstractItemModel* list = rowsOf("mfgList");
  int before = list->rowCount();
  w->mfgList.Redraw = false;
  w->mfgList.setRows(0);
  w->mfgList.AddItem("Only <ONLY.BMS>");
  EXPECT_EQ(list->rowCount(), before);
  w->mfgList.Redraw = true;
  ASSERT_EQ(list->rowCount(), 1);
  EXPECT_EQ(list->index(0, 0).data().toString(), "Only <ONLY.BMS>");
}

TEST_F(ViewFollowsModel, TextOutsideAsciiCrossesTheEdgeInBothDirections) {
  w->lblCurMap.caption = "Map playing: Caf\xE9 \x80";
  EXPECT_EQ(widget<QLabel>("lblCurMap")->text(), QString::fromUtf8("Map playing: Café €"));
  auto* box = widget<QLineEdit>("txtGametype");
  box->setText(QString());
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("é€"), Qt::NoModifier);
  EXPECT_EQ(w->txtGametype.text.get(), "\xE9\x80");
}

}  // namespace
}  // namespace rotaryn
