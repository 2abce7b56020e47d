#include "memory/server_rotation.h"

#include <string>

#include "errors/error_report.h"
#include "memory/address_table.h"
#include "platform/ini_file.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

// Rotation list at P (the value at MapPointer) and map slots from MapNameAdd.
constexpr int32_t kSecondCountOffset = 4;
constexpr int32_t kCountOffset = 8;
constexpr int32_t kCurrentOffset = 12;
constexpr int32_t kFirstEntryOffset = 16;
constexpr int32_t kEntrySize = 36;
constexpr int32_t kEntryCustomOffset = 32;
constexpr int32_t kSlotSize = 1840;
constexpr int32_t kMarkerFromName = 781;
constexpr int32_t kSlotTypeFromName = 782;
constexpr int32_t kMaxRotation = 255;

constexpr const char* kMapsSection = "Maps";
constexpr const char* kEntrySeparator = "[-]";

// Reads one profile's server through the memory component, by address-table key.
class ServerReader {
 public:
  ServerReader(Module& module, int32_t index)
      : module_(module),
        index_(index),
        memory_(module.memory()),
        process_(module.profile(index).ServerProcess) {}

  int32_t address(const std::string& key) const { return addressOf(module_, index_, key); }
  int32_t readLong(int32_t address) { return memory_.ReadLong(process_, address); }
  int32_t readLong(const std::string& key) { return readLong(address(key)); }
  std::string readStr(int32_t address) { return memory_.ReadStr(process_, address); }
  void writeLong(int32_t address, int32_t value) { memory_.WriteLong(process_, address, value, 4); }

  // Slots this system wrote carry "S" and their own type; others run the server's current one.
  int32_t slotType(int32_t nameAddress) {
    if (vb::InStr(readStr(nameAddress + kMarkerFromName), "S") > 0) {
      return memory_.ReadByte(process_, nameAddress + kSlotTypeFromName);
    }
    return memory_.ReadByte(process_, address("GameType"));
  }

  // A configured limit, or the server's own when none is configured.
  int32_t limit(const std::string& configured, const std::string& fallback) {
    int32_t value = readLong(configured);
    return value != 0 ? value : readLong(fallback);
  }

 private:
  Module& module_;
  int32_t index_;
  IMemoryAccess& memory_;
  int32_t& process_;
};

struct RotationEntry {
  std::string file;
  std::string name;
  int32_t custom;
  int32_t type;
};

RotationEntry readEntry(ServerReader& server, int32_t entryAddress, int32_t nameAddress) {
  RotationEntry entry;
  entry.file = server.readStr(entryAddress);
  entry.name = server.readStr(nameAddress);
  entry.custom = server.readLong(entryAddress + kEntryCustomOffset);
  entry.type = server.slotType(nameAddress);
  return entry;
}

void appendEntry(CurrentListTables& list, int32_t key, const RotationEntry& entry) {
  const std::string keyText = std::to_string(key);
  list.CurrentMapNames.add(keyText, vb::Trim(entry.name));
  list.CurrentMapFiles.add(keyText, vb::Trim(entry.file));
  list.CurrentMapTypes.add(keyText, std::to_string(entry.type));
  list.CurrentMapCustom.add(keyText, std::to_string(entry.custom));
}

std::string entryText(const RotationEntry& entry) {
  return std::to_string(entry.type) + kEntrySeparator + std::to_string(entry.custom) +
         kEntrySeparator + vb::Trim(entry.file);
}

}  // namespace

void GetMapList(Module& module, int32_t index) {
  ErrorTrap trap = module.trap("GetMapList", index);
  trap.run([&] {
    trap.at(1);
    FileSystem& files = module.ports.files;
    IniFile ini(files, iniFailureLog(module));
    const std::string profileFolder = module.profile(index).ProfileFolder;
    const std::string pluginSettings = module.RootFolder + "\\Plugins\\Maps.ini";
    const std::string settingsFolder =
        module.RootFolder + "\\profiles\\" + profileFolder + "\\settings";
    const std::string lastSettings = settingsFolder + "\\lastsettings.ini";

    trap.at(2);
    std::string autoload;
    if (files.FileExists(pluginSettings))
      autoload = ini.read(pluginSettings, "Autoload", profileFolder);
    const bool record = autoload != "1";
    trap.at(3);
    if (!files.FolderExists(settingsFolder)) files.CreateFolder(settingsFolder);

    ServerReader server(module, index);
    if (record) {
      trap.at(4);
      const int32_t dm = server.limit("CMaxKills", "MaxKills");
      const int32_t fb = server.limit("CGameScore", "MaxKills");
      const int32_t tk = server.limit("CKothLimit", "KothLimit");
      ini.write(lastSettings, kMapsSection, "tkScore", std::to_string(tk));
      ini.write(lastSettings, kMapsSection, "dmScore", std::to_string(dm));
      ini.write(lastSettings, kMapsSection, "fbScore", std::to_string(fb));
    }

    trap.at(5);
    const int32_t rotation = server.readLong("MapPointer");
    int32_t count = server.readLong(rotation + kCountOffset);
    trap.at(6);
    if (record) ini.write(lastSettings, kMapsSection, "mapcount", std::to_string(count - 1));

    trap.at(7);
    CurrentListTables& list = module.currentList;
    list = CurrentListTables{};

    // Entry 0 is read whatever the count says, so the list is never empty.
    trap.at(8);
    int32_t entryAddress = rotation + kFirstEntryOffset;
    int32_t nameAddress = server.address("MapNameAdd");
    RotationEntry entry = readEntry(server, entryAddress, nameAddress);
    trap.at(9);
    const std::string playing = "Map playing: " + server.readStr(server.address("CurMap"));
    if (module.window) module.window->lblCurMap.caption = playing;
    trap.at(10);
    appendEntry(list, 0, entry);
    if (record) ini.write(lastSettings, kMapsSection, "map0", entryText(entry));

    trap.at(11);
    if (count > kMaxRotation) {
      count = kMaxRotation;
      server.writeLong(rotation + kCountOffset, count);
      server.writeLong(rotation + kSecondCountOffset, count);
    }
    for (int32_t k = 1; k < count; ++k) {
      trap.at(12);
      entryAddress += kEntrySize;
      nameAddress += kSlotSize;
      entry = readEntry(server, entryAddress, nameAddress);
      appendEntry(list, k, entry);
      if (record) {
        ini.write(lastSettings, kMapsSection, "map" + std::to_string(k), entryText(entry));
      }
    }
  });
}

int32_t GetNextMapCode(Module& module, int32_t index) {
  ErrorTrap trap = module.trap("GetNextMapCode", index);
  int32_t nextType = 0;
  trap.run([&] {
    trap.at(1);
    ServerReader server(module, index);
    const int32_t rotation = server.readLong("MapPointer");
    const int32_t count = server.readLong(rotation + kCountOffset);
    const int32_t current = server.readLong(rotation + kCurrentOffset);
    trap.at(2);
    const int32_t next = current < count - 1 ? current + 1 : 0;
    trap.at(3);
    int32_t nameAddress = server.address("MapNameAdd");
    const int32_t firstType = server.slotType(nameAddress);
    if (next == 0) {
      nextType = firstType;
      return;
    }
    trap.at(4);
    for (int32_t k = 1; k <= count; ++k) {
      nameAddress += kSlotSize;
      const int32_t type = server.slotType(nameAddress);
      if (k == next) {
        nextType = type;
        return;
      }
    }
  });
  return nextType;
}

}  // namespace rotaryn
