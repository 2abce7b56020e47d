#include "memory/update_maps.h"

#include <string>

#include "errors/error_report.h"
#include "memory/address_table.h"
#include "memory/rotation_layout.h"
#include "memory/server_fields.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/last_settings.h"
#include "ui/frm_rotaryn_maps.h"
#include "ui/map_entry.h"

namespace rotaryn {
namespace {

using namespace rotation;

constexpr const char* kNotNow = "The games current state does not permit this action!";
constexpr const char* kUpdated = "Map List updated successfully.";

long namedMaps(const CurrentListTables& list) {
  long named = 0;
  for (long i = 1; i <= list.CurrentMapNames.count(); ++i) {
    if (!list.CurrentMapNames.item(i).empty()) ++named;
  }
  return named;
}

frmRotarynMaps& windowOf(Module& module) {
  if (!module.window) raiseVbError(vberr::kObjectNotSet);
  return *module.window;
}

}  // namespace

void cmdUpdateProc_Click(Module& module, bool silent) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("cmdUpdateProc", index);
  trap.run([&] {
    trap.at(1);
    const long named = namedMaps(module.currentList);
    if (named > kMaxRotation) {
      if (!silent) {
        ErrorReport(module, kReportFailed,
                    "The map list holds " + std::to_string(named) +
                        " maps; a server rotation holds at most 255. Remove some maps and try "
                        "again.",
                    nullptr, 0, 0);
      }
      return;
    }
    LastSettings lastSettings(module, index, LastSettings::Failures::kRaised);
    lastSettings.createFolderIfMissing();

    trap.at(2);
    const int32_t state = readLong(module, index, "GameState");
    if (state != 2 && state != 3) {
      if (!silent) ErrorReport(module, kReportFailed, kNotNow, nullptr, 0, 0);
      return;
    }

    // No memory call among these writes, so nothing can run in between: one replace of the
    // file leaves what the four key-by-key writes would.
    trap.at(3);
    {
      const frmRotarynMaps& window = windowOf(module);
      lastSettings.gather();
      lastSettings.writeLimits(window.txtTkoth.text.get(), window.txtTdm.text.get(),
                               window.txtFb.text.get());
      lastSettings.writeMapCount(window.mfgCurrent.Rows() - 1);
    }
    lastSettings.flush();

    trap.at(4);
    int32_t slot = addressOf(module, index, "BaseAdd");
    const int32_t header = readLong(module, index, "MapPointer");
    int32_t entry = header + kFirstEntryOffset;
    int32_t written = 0;

    trap.at(5);
    // Read through the module on every pass: a memory call may let events run, and they may
    // replace the list.
    for (long i = 1; i <= module.currentList.CurrentMapNames.count(); ++i) {
      // Position i holds key i - 1 in every table.
      const CurrentListTables& list = module.currentList;
      const std::string name = list.CurrentMapNames.item(i);
      if (name.empty()) continue;
      // Never past the last slot, even if the list grew while events ran.
      if (written == kMaxRotation) break;
      const std::string file = list.CurrentMapFiles.item(i);
      const int32_t type = vb::CLng(list.CurrentMapTypes.item(i));
      const int32_t custom = list.CurrentMapCustom.item(i) == "1" ? 1 : 0;
      writeTextAt(module, index, slot, file);
      writeTextAt(module, index, slot + kSlotNameOffset, name);
      writeTextAt(module, index, slot + kSlotMarkerOffset, "S");
      writeLongAt(module, index, slot + kSlotTypeOffset, type, 1);
      writeLongAt(module, index, slot + kSlotConstantOffset, kSlotConstant);
      writeTextAt(module, index, entry, file);
      writeLongAt(module, index, slot + kSlotCustomOffset, custom);
      writeLongAt(module, index, entry + kEntryCustomOffset, custom);
      slot += kSlotSize;
      entry += kEntrySize;
      ++written;
    }

    trap.at(6);
    writeLongAt(module, index, header + kCountOffset, written);
    writeLongAt(module, index, header + kSecondCountOffset, written);

    // As in step 3, nothing runs between these writes. The window is looked up again: events
    // run inside memory calls may have closed it.
    trap.at(7);
    const FlexGrid& grid = windowOf(module).mfgCurrent;
    lastSettings.gather();
    for (int row = 0; row < grid.Rows(); ++row) {
      const std::string custom = grid.backColorAt(row, 0) == kStockBackColor ? "0" : "1";
      const MapEntry map = SplitMapEntry(grid.TextMatrix(row, 0));
      lastSettings.writeMap(row,
                            rotationEntryText(std::to_string(grid.RowData(row)), custom, map.file));
    }
    lastSettings.flush();

    trap.at(8);
    if (!silent) ErrorReport(module, kReportSuccess, kUpdated, nullptr, 0, 0);
    trap.at(9);
    module.ports.pump.doEvents();
  });
}

}  // namespace rotaryn
