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

namespace rotaryn {
namespace {

using namespace rotation;

constexpr const char* kNotNow = "The games current state does not permit this action!";
constexpr const char* kUpdated = "Map List updated successfully.";

long namedMaps(const CurrentListTables& list) {
  long named = 0;
  for (long i = 1; i <= list.maps.count(); ++i) {
    if (!list.maps.item(i).name.empty()) ++named;
  }
  return named;
}

const frmRotarynMaps& windowOf(const Module& module) {
  if (!module.window) raiseVbError(vberr::kObjectNotSet);
  return *module.window;
}

// The limits and the map count the window shows, recorded in one replace of the file.
void recordLimits(const Module& module, LastSettings& lastSettings) {
  const frmRotarynMaps& window = windowOf(module);
  const ScoreLimitTexts limits = window.shownScoreLimits();
  lastSettings.gather();
  lastSettings.writeLimits(limits.koth, limits.kills, limits.flagball);
  lastSettings.writeMapCount(window.currentRowCount() - 1);
  lastSettings.flush();
}

// The rotation the window shows, recorded in one replace of the file.
void recordRotation(const Module& module, LastSettings& lastSettings) {
  const std::vector<RotationRow> rows = windowOf(module).currentRows();
  lastSettings.gather();
  for (size_t row = 0; row < rows.size(); ++row) {
    lastSettings.writeMap(static_cast<int>(row),
                          formats::rotationEntryText(std::to_string(rows[row].type),
                                                     rows[row].custom ? "1" : "0", rows[row].file));
  }
  lastSettings.flush();
}

// Writes the named maps of the current list into the server's slots and rotation.
void writeRotation(Module& module, int32_t index, ErrorTrap& trap) {
  trap.at(4);
  int32_t slot = addressOf(module, index, "BaseAdd");
  const int32_t header = readLong(module, index, "MapPointer");
  int32_t entry = header + kFirstEntryOffset;
  int32_t written = 0;

  trap.at(5);
  // Read through the module on every pass: a memory call may let events run, and they may
  // replace the list.
  for (long i = 1; i <= module.currentList.maps.count(); ++i) {
    // Position i holds key i - 1 in every table.
    const CurrentListTables& list = module.currentList;
    const std::string name = list.maps.item(i).name;
    if (name.empty()) continue;
    // Never past the last slot, even if the list grew while events ran.
    if (written == kMaxRotation) break;
    const std::string file = list.maps.item(i).file;
    const int32_t type = vb::CLng(list.maps.item(i).type);
    const int32_t custom = list.maps.item(i).custom == "1" ? 1 : 0;
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
}

}  // namespace

const char* updateOriginName(UpdateOrigin origin) {
  switch (origin) {
    case UpdateOrigin::kTask:
      return "task";
    case UpdateOrigin::kAutoload:
      return "autoload";
    case UpdateOrigin::kRemote:
      return "remote";
    case UpdateOrigin::kWindow:
      break;
  }
  return "window";
}

bool cmdUpdateProc_Click(Module& module, bool silent, UpdateOrigin origin) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("cmdUpdateProc", index);
  bool written = false;
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
    recordLimits(module, lastSettings);

    writeRotation(module, index, trap);

    // As in step 3, nothing runs between these writes. The window is looked up again: events
    // run inside memory calls may have closed it.
    trap.at(7);
    recordRotation(module, lastSettings);
    written = true;
    reportEvent(module, index, "rotation_write",
                {{"origin", std::string(updateOriginName(origin))}});

    trap.at(8);
    if (!silent) ErrorReport(module, kReportSuccess, kUpdated, nullptr, 0, 0);
    trap.at(9);
    module.ports.pump.doEvents();
  });
  return written;
}

}  // namespace rotaryn
