#include <gtest/gtest.h>

#include "tests/support/ui_window_fixture.h"
#include "ui/window_input.h"

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

// Through the window's input routing, as the view and the automation send it.
TEST_F(GridInput, ShiftDragDropsTheMapAtTheRowUnderThePointerOrOnNoRowAtTheEnd) {
  std::string dragged = w->mfgList.TextMatrix(3, 0);
  host.select(w->mfgList, 1, 3);
  ASSERT_TRUE(
      deliverInput(*w, w->mfgList, {InputEvent::MouseDown, MouseButton::Left, kShiftMask, 3}));
  EXPECT_TRUE(w->dragging());
  deliverInput(*w, w->mfgCurrent, {.event = InputEvent::DragOver, .row = 1});
  EXPECT_EQ(w->mfgCurrent.Row(), 1);

  deliverInput(*w, w->mfgCurrent, {.event = InputEvent::Drop, .row = 1});
  EXPECT_FALSE(w->dragging());
  ASSERT_EQ(w->mfgCurrent.Rows(), 5);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(1, 0), dragged);

  deliverInput(*w, w->mfgCurrent, {.event = InputEvent::Drop, .row = -1});
  ASSERT_EQ(w->mfgCurrent.Rows(), 6);
  EXPECT_EQ(w->mfgCurrent.TextMatrix(5, 0), dragged);
  EXPECT_EQ(host.gridRows(w->mfgCurrent), host.currentListRows());
  // A grid without a handler for an event takes none.
  EXPECT_FALSE(deliverInput(*w, w->mfgList, {.event = InputEvent::Drop, .row = 1}));
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
