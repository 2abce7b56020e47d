#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "ui/map_entry.h"
#include "ui/rotation_editor.h"

namespace rotaryn {
namespace {

void addMapRow(FlexGrid& grid, const std::string& name, const std::string& file, int32_t type,
               bool stock) {
  grid.AddItem(mapEntryText(name, file));
  int row = grid.Rows() - 1;
  grid.setRowData(row, type);
  if (stock) grid.setBackColorAt(row, 0, kStockBackColor);
}

}  // namespace

void RotationEditor::SetMaps(int gameType) {
  trapped("SetMaps", [&](ErrorTrap& trap) {
    try {
      trap.at(1);
      mfgList.Redraw = false;
      mfgList.Clear();
      mfgList.setRows(0);

      trap.at(2);
      if (gameType < 0 || gameType >= kGameTypeCount) raiseVbError(vberr::kSubscriptOutOfRange);
      txtGametype.text = GameTypeNames[static_cast<size_t>(gameType)];

      const CatalogueTables& tables = module_.catalogue;
      trap.at(3);
      for (long i = 1; i <= tables.stock.count(); ++i) {
        if (vb::CLng(tables.stock.item(i).type) != gameType) continue;
        addMapRow(mfgList, tables.stock.item(i).name, tables.stock.item(i).file, gameType, true);
      }
      trap.at(4);
      for (long i = 1; i <= tables.custom.count(); ++i) {
        if (vb::CLng(tables.custom.item(i).type) != gameType) continue;
        addMapRow(mfgList, tables.custom.item(i).name, tables.custom.item(i).file, gameType, false);
      }

      trap.at(5);
      std::string rows = std::to_string(mfgList.Rows());
      lblTnum.caption = rows;
      mfgList.toolTipText =
          "Maps: " + rows + " / " + std::to_string(tables.stock.count() + tables.custom.count());

      trap.at(6);
      mfgList.Redraw = true;
      mfgList.Refresh();
    } catch (const VbError& error) {
      throw VbError(error.number(), error.description() + " [" + std::to_string(gameType) + "]");
    }
  });
}

void RotationEditor::FillCurrentGrid() {
  mfgCurrent.Redraw = false;
  mfgCurrent.setRows(0);
  const CurrentListTables& list = module_.currentList;
  for (long i = 1; i <= list.maps.count(); ++i) {
    mfgCurrent.AddItem(mapEntryText(list.maps.item(i).name, list.maps.item(i).file));
    int row = mfgCurrent.Rows() - 1;
    mfgCurrent.setRowData(row, vb::CLng(list.maps.item(i).type));
    mfgCurrent.setRow(row);
    if (list.maps.item(i).custom == "0") mfgCurrent.setCellBackColor(kStockBackColor);
    lblSnum.caption = std::to_string(mfgCurrent.Rows()) + " / 255";
  }
  mfgCurrent.Refresh();
  mfgCurrent.Redraw = true;
}

void RotationEditor::cmdGtLeft_Click() {
  trapped("cmdGtLeft", [this](ErrorTrap& trap) { cmdGtLeftRightSteps(trap, -1); });
}

void RotationEditor::cmdGtRight_Click() {
  trapped("cmdGtRight", [this](ErrorTrap& trap) { cmdGtLeftRightSteps(trap, 1); });
}

// A name that is none of the nine restarts at Deathmatch.
void RotationEditor::cmdGtLeftRightSteps(ErrorTrap& trap, int direction) {
  trap.at(1);
  int next = 0;
  for (int i = 0; i < kGameTypeCount; ++i) {
    if (GameTypeNames[static_cast<size_t>(i)] != txtGametype.text.get()) continue;
    next = (i + direction + kGameTypeCount) % kGameTypeCount;
    txtGametype.text = GameTypeNames[static_cast<size_t>(next)];
    break;
  }
  trap.at(2);
  SetMaps(next);
}

}  // namespace rotaryn
