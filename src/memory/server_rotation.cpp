#include "memory/server_rotation.h"

#include <string>

#include "errors/error_report.h"
#include "memory/address_table.h"
#include "memory/rotation_layout.h"
#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/last_settings.h"
#include "store/maps_ini.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

using namespace rotation;

// Slots this system wrote carry "S" and their own type; others run the server's current one.
int32_t slotType(Module& module, int32_t index, int32_t nameAddress) {
  if (vb::InStr(readTextAt(module, index, nameAddress + kMarkerFromName), "S") > 0) {
    return readByteAt(module, index, nameAddress + kSlotTypeFromName);
  }
  return readByte(module, index, "GameType");
}

struct RotationEntry {
  std::string file;
  std::string name;
  int32_t custom;
  int32_t type;
};

RotationEntry readEntry(Module& module, int32_t index, int32_t entryAddress, int32_t nameAddress) {
  RotationEntry entry;
  entry.file = readTextAt(module, index, entryAddress);
  entry.name = readTextAt(module, index, nameAddress);
  entry.custom = readLongAt(module, index, entryAddress + kEntryCustomOffset);
  entry.type = slotType(module, index, nameAddress);
  return entry;
}

void appendEntry(CurrentListTables& list, int32_t key, const RotationEntry& entry) {
  const std::string keyText = std::to_string(key);
  list.maps.add(keyText, {vb::Trim(entry.name), vb::Trim(entry.file), std::to_string(entry.type),
                          std::to_string(entry.custom)});
}

std::string entryText(const RotationEntry& entry) {
  return formats::rotationEntryText(std::to_string(entry.type), std::to_string(entry.custom),
                                    vb::Trim(entry.file));
}

}  // namespace

void GetMapList(Module& module, int32_t index) {
  ErrorTrap trap = module.trap("GetMapList", index);
  trap.run([&] {
    trap.at(1);
    const MapsIni pluginSettings(module);
    LastSettings lastSettings(module, index, LastSettings::Failures::kLogged);

    trap.at(2);
    std::string autoload;
    if (pluginSettings.exists())
      autoload = pluginSettings.autoload(module.profile(index).ProfileFolder);
    const bool record = autoload != "1";
    trap.at(3);
    lastSettings.createFolderIfMissing();
    // Up to 257 keys: gathered into one replace of the file, done however the reading ends, so
    // the file ends as the key-by-key writes would have left it (nothing else writes it while
    // the server is read: the memory component runs no events).
    auto readIntoList = [&] {
      if (record) {
        trap.at(4);
        // The affiliate build has no limit fields: its file keeps whatever limits it had.
        if (const std::optional<ScoreLimits> limits = readScoreLimits(module, index)) {
          lastSettings.writeLimits(std::to_string(limits->koth), std::to_string(limits->kills),
                                   std::to_string(limits->gameScore));
        }
      }

      trap.at(5);
      const int32_t rotation = readLong(module, index, "MapPointer");
      int32_t count = readLongAt(module, index, rotation + kCountOffset);
      trap.at(6);
      if (record) lastSettings.writeMapCount(count - 1);

      trap.at(7);
      CurrentListTables& list = module.currentList;
      list = CurrentListTables{};

      // Entry 0 is read whatever the count says, so the list is never empty.
      trap.at(8);
      int32_t entryAddress = rotation + kFirstEntryOffset;
      int32_t nameAddress = addressOf(module, index, "MapNameAdd");
      RotationEntry entry = readEntry(module, index, entryAddress, nameAddress);
      trap.at(9);
      const std::string playing = "Map playing: " + readText(module, index, "CurMap");
      if (module.window) module.window->showPlayingMap(playing);
      trap.at(10);
      appendEntry(list, 0, entry);
      if (record) lastSettings.writeMap(0, entryText(entry));

      trap.at(11);
      if (count > kMaxRotation) {
        count = kMaxRotation;
        writeLongAt(module, index, rotation + kCountOffset, count);
        writeLongAt(module, index, rotation + kSecondCountOffset, count);
      }
      for (int32_t k = 1; k < count; ++k) {
        trap.at(12);
        entryAddress += kEntrySize;
        nameAddress += kSlotSize;
        entry = readEntry(module, index, entryAddress, nameAddress);
        appendEntry(list, k, entry);
        if (record) lastSettings.writeMap(k, entryText(entry));
      }
    };
    if (record) lastSettings.gather();
    try {
      readIntoList();
    } catch (...) {
      lastSettings.flush();
      throw;
    }
    lastSettings.flush();
  });
}

PlayingEntry playingEntry(Module& module, int32_t index) {
  const int32_t header = readLong(module, index, "MapPointer");
  PlayingEntry entry;
  entry.position = readLongAt(module, index, header + kCurrentOffset);
  entry.count = readLongAt(module, index, header + kCountOffset);
  const int32_t count = entry.count;
  if (entry.position >= 0 && entry.position < count && entry.position < kMaxRotation) {
    entry.mission = vb::Trim(
        readTextAt(module, index, header + kFirstEntryOffset + entry.position * kEntrySize));
  }
  return entry;
}

int32_t GetNextMapCode(Module& module, int32_t index) {
  ErrorTrap trap = module.trap("GetNextMapCode", index);
  int32_t nextType = 0;
  trap.run([&] {
    trap.at(1);
    const int32_t rotation = readLong(module, index, "MapPointer");
    const int32_t count = readLongAt(module, index, rotation + kCountOffset);
    const int32_t current = readLongAt(module, index, rotation + kCurrentOffset);
    trap.at(2);
    const int32_t next = current < count - 1 ? current + 1 : 0;
    trap.at(3);
    int32_t nameAddress = addressOf(module, index, "MapNameAdd");
    const int32_t firstType = slotType(module, index, nameAddress);
    if (next == 0) {
      nextType = firstType;
      return;
    }
    trap.at(4);
    for (int32_t k = 1; k <= count; ++k) {
      nameAddress += kSlotSize;
      const int32_t type = slotType(module, index, nameAddress);
      if (k == next) {
        nextType = type;
        return;
      }
    }
  });
  return nextType;
}

}  // namespace rotaryn
