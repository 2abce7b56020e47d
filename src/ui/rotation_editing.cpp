#include <algorithm>

#include "errors/error_report.h"
#include "plugin/module.h"
#include "ui/frm_rotaryn_maps.h"
#include "ui/map_entry.h"

namespace rotaryn {
namespace {

constexpr const char* kTooManyMaps = "You cannot add anymore maps!";
constexpr const char* kLastMapStays = "You must have atleast 1 map in the Current maps list!";

struct CurrentEntry {
  std::string name;
  std::string file;
  std::string type;
  std::string custom;
};

// A grid row as a CurrentList entry; grey rows are stock maps.
CurrentEntry entryOfRow(const FlexGrid& grid, int row) {
  MapEntry split = SplitMapEntry(grid.TextMatrix(row, 0));
  return {split.name, split.file, std::to_string(grid.RowData(row)),
          grid.backColorAt(row, 0) == kStockBackColor ? "0" : "1"};
}

CurrentEntry entryAt(const CurrentListTables& list, long position) {
  return {list.CurrentMapNames.item(position), list.CurrentMapFiles.item(position),
          list.CurrentMapTypes.item(position), list.CurrentMapCustom.item(position)};
}

void append(CurrentListTables& list, const CurrentEntry& entry) {
  std::string key = std::to_string(list.CurrentMapNames.count());
  list.CurrentMapNames.add(key, entry.name);
  list.CurrentMapFiles.add(key, entry.file);
  list.CurrentMapTypes.add(key, entry.type);
  list.CurrentMapCustom.add(key, entry.custom);
}

void put(CurrentListTables& list, int position, const CurrentEntry& entry) {
  std::string key = std::to_string(position);
  list.CurrentMapNames.item(key) = entry.name;
  list.CurrentMapFiles.item(key) = entry.file;
  list.CurrentMapTypes.item(key) = entry.type;
  list.CurrentMapCustom.item(key) = entry.custom;
}

struct RowSpan {
  int first;
  int last;
};

RowSpan selectionOf(const FlexGrid& grid) {
  return {std::min(grid.Row(), grid.RowSel()), std::max(grid.Row(), grid.RowSel())};
}

}  // namespace

void frmRotarynMaps::cmdAdd_Click() {
  trapped("cmdAdd", [this](ErrorTrap& trap) { cmdAddSteps(trap); });
}

std::optional<std::string> frmRotarynMaps::cmdAddSteps(ErrorTrap& trap) {
  // Raising the server's limit comes first, even with nothing to add: a server that cannot be
  // written is reported whatever the list holds.
  trap.at(1);
  refreshMapCapacity(module_.CurrentProfile);

  trap.at(2);
  if (mfgCurrent.Rows() >= MaxMapsLimit) {
    ErrorReport(module_, kReportFailed, kTooManyMaps, nullptr, 0, 0);
    return std::nullopt;
  }
  // A game type without maps leaves nothing to add.
  if (mfgList.Rows() <= mfgList.FixedRows()) return std::nullopt;

  trap.at(3);
  std::optional<std::string> lastAdded;
  RowSpan span = selectionOf(mfgList);
  for (int r = span.first; r <= span.last; ++r) {
    if (mfgCurrent.Rows() == MaxMapsLimit) {
      ErrorReport(module_, kReportFailed, kTooManyMaps, nullptr, 0, 0);
      break;
    }
    CurrentEntry entry = entryOfRow(mfgList, r);
    append(module_.currentList, entry);

    const std::string& text = mfgList.TextMatrix(r, 0);
    mfgCurrent.AddItem(text);
    int added = mfgCurrent.Rows() - 1;
    mfgCurrent.setRowData(added, mfgList.RowData(r));
    if (entry.custom == "0") mfgCurrent.setBackColorAt(added, 0, kStockBackColor);
    lblSnum.caption = std::to_string(mfgCurrent.Rows()) + " / " + std::to_string(MaxMapsLimit);
    lastAdded = text;
  }
  return lastAdded;
}

void frmRotarynMaps::cmdRemove_Click() {
  trapped("cmdRemove", [this](ErrorTrap& trap) {
    trap.at(1);
    if (mfgCurrent.Rows() == 1) {
      ErrorReport(module_, kReportFailed, kLastMapStays, nullptr, 0, 0);
      return;
    }

    trap.at(2);
    RowSpan span = selectionOf(mfgCurrent);
    if (span.first == 0 && span.last == mfgCurrent.Rows() - 1) span.first = 1;
    if (span.last == mfgCurrent.Rows()) span.last = mfgCurrent.Rows() - 1;

    trap.at(3);
    CurrentListTables kept;
    const CurrentListTables& list = module_.currentList;
    for (long position = 1; position <= list.CurrentMapNames.count(); ++position) {
      long index = position - 1;
      if (index >= span.first && index <= span.last) continue;
      append(kept, entryAt(list, position));
    }
    module_.currentList = std::move(kept);
    FillCurrentGrid();
  });
}

void frmRotarynMaps::cmdUp_Click() {
  trapped("cmdUp", [this](ErrorTrap& trap) { cmdUpDownSteps(trap, -1); });
}

void frmRotarynMaps::cmdDown_Click() {
  trapped("cmdDown", [this](ErrorTrap& trap) { cmdUpDownSteps(trap, 1); });
}

void frmRotarynMaps::cmdUpDownSteps(ErrorTrap& trap, int direction) {
  trap.at(1);
  int from = mfgCurrent.RowSel();
  int to = from + direction;
  if (to < 0 || to >= mfgCurrent.Rows()) return;

  trap.at(2);
  CurrentEntry moving = entryOfRow(mfgCurrent, from);
  CurrentEntry displaced = entryOfRow(mfgCurrent, to);
  std::string movingText = mfgCurrent.TextMatrix(from, 0);
  std::string displacedText = mfgCurrent.TextMatrix(to, 0);
  int32_t movingData = mfgCurrent.RowData(from);
  int32_t displacedData = mfgCurrent.RowData(to);
  int32_t movingColor = mfgCurrent.backColorAt(from, 0);
  int32_t displacedColor = mfgCurrent.backColorAt(to, 0);

  mfgCurrent.setTextMatrix(to, 0, movingText);
  mfgCurrent.setRowData(to, movingData);
  mfgCurrent.setBackColorAt(to, 0, movingColor);
  mfgCurrent.setTextMatrix(from, 0, displacedText);
  mfgCurrent.setRowData(from, displacedData);
  mfgCurrent.setBackColorAt(from, 0, displacedColor);

  trap.at(3);
  put(module_.currentList, to, moving);
  put(module_.currentList, from, displaced);

  trap.at(4);
  mfgCurrent.setRow(to);
}

void frmRotarynMaps::cmdRandomize_Click() {
  if (!cmdRandomize.enabled) return;
  trapped("cmdRandomize", [this](ErrorTrap& trap) {
    trap.at(1);
    int last = mfgCurrent.Rows() - 1;
    CurrentListTables shuffled;

    trap.at(2);
    for (int k = 0; k <= last; ++k) {
      int r = static_cast<int>(module_.rnd.next() * (last - k + 1));
      append(shuffled, entryOfRow(mfgCurrent, r));
      if (mfgCurrent.Rows() == 1) {
        mfgCurrent.setRows(0);
      } else {
        mfgCurrent.RemoveItem(r);
      }
    }

    trap.at(3);
    module_.currentList = std::move(shuffled);
    FillCurrentGrid();
  });
}

}  // namespace rotaryn
