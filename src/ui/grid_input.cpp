#include "plugin/module.h"
#include "ui/rotation_editor.h"

namespace rotaryn {
namespace {

bool holdsRow(const FlexGrid& grid, int row) {
  return row >= 0 && row < grid.Rows();
}

}  // namespace

void RotationEditor::mfgList_DblClick() {
  cmdAdd_Click();
}

void RotationEditor::mfgCurrent_DblClick() {
  cmdRemove_Click();
}

void RotationEditor::mfgCurrent_KeyPress(int keyAscii) {
  if (keyAscii == '+' || keyAscii == '=') {
    cmdUp_Click();
  } else if (keyAscii == '-') {
    cmdDown_Click();
  }
}

void RotationEditor::mfgCurrent_MouseMove(int row) {
  // The pointer may rest below the last row or over an empty grid: no hint there.
  if (!holdsRow(mfgCurrent, row)) return;
  int32_t type = mfgCurrent.RowData(row);
  if (type < 0 || type >= kGameTypeCount) return;
  mfgCurrent.toolTipText = GameTypeNames[static_cast<size_t>(type)];
}

void RotationEditor::mfgCurrent_DragOver(int row) {
  if (holdsRow(mfgCurrent, row)) mfgCurrent.setRow(row);
}

void RotationEditor::mfgList_MouseDown(MouseButton mouse, int shift, int row) {
  if (mouse == MouseButton::Right) {
    if (holdsRow(mfgList, row)) mfgList.setRow(row);
    mnuMain.popup();
  } else if (mouse == MouseButton::Left && (shift & kShiftMask) != 0) {
    mfgList.setRow(mfgList.RowSel());
    dragging_ = true;
    mfgList.notify(Change::Drag);
  }
}

void RotationEditor::mfgCurrent_DragDrop(int row) {
  dragging_ = false;
  trapped("mfgCurrentDragDrop", [&](ErrorTrap& trap) {
    std::optional<std::string> added = cmdAddSteps(trap);
    if (!added) return;

    trap.at(4);
    while (mfgCurrent.TextMatrix(row, 0) != *added) {
      int found = -1;
      for (int j = row; j < mfgCurrent.Rows(); ++j) {
        if (mfgCurrent.TextMatrix(j, 0) == *added) {
          found = j;
          break;
        }
      }
      // The added map always lies at or after the drop row; anything else would never end.
      if (found < 0) break;
      mfgCurrent.setRow(found);
      cmdUp_Click();
    }
  });
}

}  // namespace rotaryn
