#include "ui/rotation_editor.h"

#include "catalogue/custom_map_menu.h"
#include "memory/server_fields.h"
#include "plugin/module.h"
#include "store/map_list.h"
#include "ui/map_entry.h"

namespace rotaryn {

RotationEditor::RotationEditor(Module& module) : WindowPart(module) {
  cmdAdd.action = [this] { cmdAdd_Click(); };
  cmdRemove.action = [this] { cmdRemove_Click(); };
  cmdUp.action = [this] { cmdUp_Click(); };
  cmdDown.action = [this] { cmdDown_Click(); };
  cmdGtLeft.action = [this] { cmdGtLeft_Click(); };
  cmdGtRight.action = [this] { cmdGtRight_Click(); };
  cmdRandomize.action = [this] { cmdRandomize_Click(); };
  mnuAdd.action = [this] { mnuAdd_Click(module_); };
  mnuDelete.action = [this] { mnuDelete_Click(module_); };
}

void RotationEditor::setUpRotationGrids() {
  mfgList.setColWidth(0, 3700);
  mfgList.setColAlignment(0, kAlignLeftCenter);
  mfgCurrent.setColWidth(0, 3250);
  mfgCurrent.setColAlignment(0, kAlignLeftCenter);
}

void RotationEditor::refreshMapCapacity(int32_t index) {
  writeLong(module_, index, "MaxMaps", 255);
  MaxMapsLimit = readLong(module_, index, "MaxMaps");
}

void RotationEditor::LoadFile(const std::string& path) {
  LoadMapList(module_, path);
}

std::vector<RotationRow> RotationEditor::currentRows() const {
  std::vector<RotationRow> rows;
  for (int row = 0; row < mfgCurrent.Rows(); ++row) {
    rows.push_back({mfgCurrent.RowData(row), mfgCurrent.backColorAt(row, 0) != kStockBackColor,
                    SplitMapEntry(mfgCurrent.TextMatrix(row, 0)).file});
  }
  return rows;
}

std::vector<RotationRow> RotationEditor::selectEachCurrentRow() {
  std::vector<RotationRow> rows;
  for (int row = 0; row < mfgCurrent.Rows(); ++row) {
    mfgCurrent.setRow(row);
    rows.push_back({mfgCurrent.RowData(row), mfgCurrent.CellBackColor() != kStockBackColor,
                    SplitMapEntry(mfgCurrent.TextMatrix(row, 0)).file});
  }
  return rows;
}

int32_t RotationEditor::positionBeforeSelected() const {
  const int row = mfgCurrent.Row();
  return row == 0 ? mfgCurrent.Rows() - 1 : row - 1;
}

std::string RotationEditor::selectedListEntry() const {
  return mfgList.Rows() > 0 && mfgList.Row() >= 0 ? mfgList.TextMatrix(mfgList.Row(), 0)
                                                  : std::string();
}

void RotationEditor::showLoadedCount(long loaded) {
  lblSnum.caption = std::to_string(loaded) + " / " + std::to_string(MaxMapsLimit);
}

}  // namespace rotaryn
