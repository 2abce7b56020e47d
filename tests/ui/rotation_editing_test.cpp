#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr const char* kTooMany = "You cannot add anymore maps!";
constexpr const char* kLastMap = "You must have atleast 1 map in the Current maps list!";

class Editing : public ::testing::Test {
 protected:
  void SetUp() override {
    w = &host.load({.rotation = WindowFixture::rotationOf(5)});
    before = current();
  }
  std::vector<std::string> current() const { return host.gridRows(w->mfgCurrent); }
  void expectInStep() const { EXPECT_EQ(current(), host.currentListRows()); }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
  std::vector<std::string> before;
};

TEST_F(Editing, AddingABlockPastTheLimitStopsAtTheLimitWithOneMessage) {
  host.capMaxMaps(7);
  host.select(w->mfgList, 4, 0);
  host.release(w->cmdAdd);

  ASSERT_EQ(w->mfgCurrent.Rows(), 7);
  EXPECT_EQ(host.boxes("Failed!", kTooMany), 1);
  EXPECT_EQ(w->lblSnum.caption.get(), "7 / 7");
  std::vector<std::string> available = host.gridRows(w->mfgList);
  EXPECT_EQ(current()[5], available[0]);
  EXPECT_EQ(current()[6], available[1]);
  expectInStep();

  host.release(w->cmdAdd, MouseButton::Right);
  EXPECT_EQ(w->mfgCurrent.Rows(), 7);
  EXPECT_EQ(host.boxes("Failed!", kTooMany), 2);
}

TEST_F(Editing, RemovingEveryRowKeepsTheFirstAndTheLastOneIsRefused) {
  host.select(w->mfgCurrent, 4, 0);
  host.release(w->cmdRemove);
  EXPECT_EQ(current(), std::vector<std::string>{before[0]});
  EXPECT_EQ(w->lblSnum.caption.get(), "1 / 255");
  expectInStep();

  w->mfgCurrent_DblClick();
  EXPECT_EQ(host.boxes("Failed!", kLastMap), 1);
  EXPECT_EQ(w->mfgCurrent.Rows(), 1);
}

TEST_F(Editing, RemovingAMiddleBlockRenumbersTheList) {
  host.select(w->mfgCurrent, 1, 2);
  host.release(w->cmdRemove);
  EXPECT_EQ(current(), (std::vector<std::string>{before[0], before[3], before[4]}));
  expectInStep();
}

TEST_F(Editing, CooperativeWithoutCustomMapsListsNothingAndAddingFromItDoesNothing) {
  w->txtGametype.text = "Team Deathmatch";
  host.release(w->cmdGtRight);
  EXPECT_EQ(w->mfgList.Rows(), 0);
  EXPECT_EQ(w->lblTnum.caption.get(), "0");
  EXPECT_EQ(w->mfgList.toolTipText.get().substr(0, 10), "Maps: 0 / ");

  host.server().clearClientWrites();
  host.release(w->cmdAdd);
  w->mfgList_DblClick();
  w->mfgCurrent_DragDrop(0);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
  EXPECT_EQ(current(), before);
  expectInStep();
  // Each raised the server's map limit all the same, so a server gone is reported by each.
  const auto& writes = host.server().clientWrites();
  EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                          [&](const sim::ClientWrite& write) {
                            return write.address == host.server().layout().at("MaxMaps") &&
                                   write.number() == 255;
                          }),
            3);
  host.memory->removeServer(1000 + WindowFixture::kProfile);
  host.release(w->cmdAdd);
  w->mfgCurrent_DragDrop(0);
  EXPECT_EQ(host.failuresOf("cmdAdd"), 1);
  EXPECT_EQ(host.failuresOf("mfgCurrentDragDrop"), 1);
  EXPECT_EQ(current(), before);
}

TEST_F(Editing, MovingPastEitherEndDoesNothing) {
  host.select(w->mfgCurrent, 0, 0);
  host.release(w->cmdUp);
  w->mfgCurrent_KeyPress('=');
  host.select(w->mfgCurrent, 4, 4);
  host.release(w->cmdDown);
  EXPECT_EQ(current(), before);
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(Editing, ShuffleKeepsTheMapsAndTheListInStep) {
  for (int round = 0; round < 3; ++round) {
    w->cmdRandomize_Click();
    std::vector<std::string> after = current();
    std::vector<std::string> sortedBefore = before;
    std::sort(after.begin(), after.end());
    std::sort(sortedBefore.begin(), sortedBefore.end());
    EXPECT_EQ(after, sortedBefore);
    expectInStep();
  }
  EXPECT_NE(current(), before);

  host.select(w->mfgCurrent, 0, 4);
  host.release(w->cmdRemove);
  std::vector<std::string> single = current();
  w->cmdRandomize_Click();
  EXPECT_EQ(current(), single);
  expectInStep();
}

}  // namespace
}  // namespace rotaryn
