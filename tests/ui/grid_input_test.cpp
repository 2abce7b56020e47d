#include <gtest/gtest.h>

#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

class GridInput : public ::testing::Test {
 protected:
  void SetUp() override {
    host.addProfile(WindowFixture::kProfile);
    host.addCustomMap("koth_arena.bms", "Arena", 1 | 4);  // Cooperative and King of the Hill
    host.addCustomMap("dm_pit.bms", "Pit", 2);
    w = &host.load();
  }
  std::vector<std::string> listed() const { return host.gridRows(w->mfgList); }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
};

TEST_F(GridInput, ShiftDragFromTheListDropsTheMapAtTheRowUnderThePointer) {
  std::string dragged = w->mfgList.TextMatrix(3, 0);
  host.select(w->mfgList, 1, 3);
  w->mfgList_MouseDown(MouseButton::Left, kShiftMask, 3);
  EXPECT_TRUE(w->dragging());
  w->mfgCurrent_DragOver(1);
  EXPECT_EQ(w->mfgCurrent.Row(), 1);

  w->mfgCurrent_DragDrop(1);
  EXPECT_FALSE(w->dragging());
  ASSERT_EQ(w->mfgCurrent.Rows(), 5);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(1, 0), dragged);
  EXPECT_EQ(host.gridRows(w->mfgCurrent), host.currentListRows());
}

TEST_F(GridInput, DoubleClicksAddAndRemove) {
  host.select(w->mfgList, 0, 0);
  w->mfgList_DblClick();
  ASSERT_EQ(w->mfgCurrent.Rows(), 5);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(4, 0), w->mfgList.TextMatrix(0, 0));
  host.select(w->mfgCurrent, 4, 4);
  w->mfgCurrent_DblClick();
  EXPECT_EQ(w->mfgCurrent.Rows(), 4);
  EXPECT_EQ(host.gridRows(w->mfgCurrent), host.currentListRows());
}

TEST_F(GridInput, HoverNamesTheRowsGameTypeAndRightButtonOpensTheMenu) {
  w->mfgCurrent_MouseMove(1);
  EXPECT_EQ(w->mfgCurrent.toolTipText.get(), "Team Deathmatch");
  w->mfgCurrent_MouseMove(40);
  EXPECT_EQ(w->mfgCurrent.toolTipText.get(), "Team Deathmatch");

  w->mfgList_MouseDown(MouseButton::Right, 0, 2);
  EXPECT_EQ(w->mfgList.Row(), 2);
  EXPECT_EQ(w->mnuMain.popups, 1);
}

TEST_F(GridInput, CooperativeAndKingOfTheHillListOnlyCustomMaps) {
  host.release(w->cmdGtRight);
  host.release(w->cmdGtRight);
  EXPECT_EQ(w->txtGametype.text.get(), "Cooperative");
  ASSERT_EQ(listed().size(), 1u);
  EXPECT_EQ(listed()[0].substr(0, 7), "Arena <");
  EXPECT_EQ(listed()[0].substr(listed()[0].size() - 5), ">|2|1");
  EXPECT_EQ(w->lblTnum.caption.get(), "1");

  host.release(w->cmdGtRight);
  host.release(w->cmdGtRight);
  EXPECT_EQ(w->txtGametype.text.get(), "King of the Hill");
  ASSERT_EQ(listed().size(), 1u);
  EXPECT_EQ(listed()[0].substr(listed()[0].size() - 5), ">|4|1");
}

TEST_F(GridInput, GameTypeStepsWrapAndAnUnknownNameRestartsAtDeathmatch) {
  std::vector<std::string> deathmatch = listed();
  EXPECT_EQ(deathmatch.back().substr(0, 5), "Pit <");  // custom maps follow the stock ones
  host.release(w->cmdGtLeft);
  EXPECT_EQ(w->txtGametype.text.get(), "Flagball");
  host.release(w->cmdGtRight);
  EXPECT_EQ(w->txtGametype.text.get(), "Deathmatch");
  EXPECT_EQ(listed(), deathmatch);

  w->txtGametype.text = "Tag";
  host.release(w->cmdGtLeft);
  EXPECT_EQ(w->txtGametype.text.get(), "Deathmatch");
}

}  // namespace
}  // namespace rotaryn
