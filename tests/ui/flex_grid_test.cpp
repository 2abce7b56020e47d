#include "ui/flex_grid.h"

#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn {
namespace {

TEST(FlexGrid, SettingRowCollapsesTheSelectionOntoIt) {
  ChangeNotifier notifier;
  FlexGrid grid(notifier, "mfgList", "Frame1", 1, 0);
  for (const char* text : {"a", "b", "c", "d"}) grid.AddItem(text);
  grid.setRow(1);
  grid.setRowSel(3);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.RowSel(), 3);
  grid.setRow(2);
  EXPECT_EQ(grid.RowSel(), 2);

  grid.setRows(2);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.RowSel(), 1);
  EXPECT_EQ(errorOf([&] { grid.setRow(2); }), 30009);
  EXPECT_EQ(errorOf([&] { grid.TextMatrix(2, 0); }), 381);
}

TEST(FlexGrid, RefusesToRemoveItsLastRowButMayBeEmptiedByRowCount) {
  ChangeNotifier notifier;
  FlexGrid grid(notifier, "mfgCurrent", "Frame2", 1, 0);
  grid.AddItem("only");
  EXPECT_EQ(errorOf([&] { grid.RemoveItem(0); }), 30015);
  grid.setRows(0);
  EXPECT_EQ(grid.Rows(), 0);
}

TEST(FlexGrid, RowsKeepTextDataAndColourTogether) {
  ChangeNotifier notifier;
  FlexGrid grid(notifier, "mfgTask", "Frame7", 3, 1);
  grid.AddItem("01/02/2026 10:00:00\tOnce\tRandom");
  grid.AddItem("x\ty\tz");
  grid.setRowData(1, 7);
  grid.setBackColorAt(1, 0, 0xD0D0D0);
  grid.RemoveItem(1);
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.TextMatrix(1, 2), "z");
  EXPECT_EQ(grid.RowData(1), 0);
  EXPECT_EQ(grid.backColorAt(1, 0), 0);
  EXPECT_EQ(errorOf([&] { grid.RemoveItem(0); }), 381);  // the header row stays
}

}  // namespace
}  // namespace rotaryn
