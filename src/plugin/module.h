#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "memory/address_table.h"
#include "platform/clock.h"
#include "platform/collection.h"
#include "platform/component_registry.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "platform/game_events.h"
#include "platform/screen.h"
#include "platform/timers.h"
#include "platform/vb_date.h"
#include "plugin/memory_access.h"
#include "plugin/utility.h"

namespace rotaryn {

class frmRotarynMaps;

// A toolkit's view of the window; it must go before the window it shows.
class WindowView {
 public:
  virtual ~WindowView() = default;
};

// Makes a view for the window when it is created; null when there is nothing to show it on
// (no display, a host without a window).
class WindowViews {
 public:
  virtual ~WindowViews() = default;
  virtual std::unique_ptr<WindowView> create(frmRotarynMaps& window) = 0;
};

// The outside world as the host hands it to the plug-in. The host owns every port and keeps it
// alive for the plug-in's lifetime.
struct Ports {
  ComponentRegistry& registry;
  FileSystem& files;
  Clock& clock;
  Timers& timers;
  EventPump& pump;
  Dialogs& dialogs;
  WindowViews* views = nullptr;
  // Null: a 96-dpi screen.
  const Screen* screen = nullptr;
  // Null: nobody listens to the plug-in's events.
  GameEvents* events = nullptr;
};

// One game-server profile as the host describes it in PDAT.
struct ProfileRecord {
  std::string GameFolder;
  std::string ServerType;
  int32_t ServerProcess = 0;
  std::string HostText0;
  std::string HostText3;
  std::string HostText4;
  int32_t MessageTarget = 0;
  std::string ProfileFolder;
  bool IsAffiliate = false;
};

// A map of the catalogue: display name, mission file and game type (as text).
struct CatalogueMap {
  std::string name;
  std::string file;
  std::string type;
};

// The stock and custom maps, module-wide, describing the profile LoadCatalogue ran for. The
// stock maps are keyed "0".."N-1"; the custom ones have no keys.
struct CatalogueTables {
  Collection<CatalogueMap> stock;
  Collection<CatalogueMap> custom;
};

// What a folder scan learnt from one custom map file, with the file's identity at the time.
struct CustomMapHeader {
  FileIdentity identity;
  bool valid = false;  // starts with "BMS"
  std::string name;    // display name, NULs removed, trimmed
  uint16_t types = 0;  // bit t set: game type t supported
  uint64_t scan = 0;   // the last scan that listed the file
};
// Per game folder (as the profile spells it), by file name: a rescan reads again only the files
// whose identity changed, and forgets the files no longer listed.
struct CustomMapHeaders {
  std::unordered_map<std::string, CustomMapHeader> files;
  uint64_t scans = 0;
};

// A map of the rotation being edited; custom is "1" for a custom map, "0" for a stock one.
struct CurrentMap {
  std::string name;
  std::string file;
  std::string type;
  std::string custom;
};

// The rotation shown and edited, keyed "0".."N-1".
struct CurrentListTables {
  Collection<CurrentMap> maps;
  // Appends under the next key.
  void append(CurrentMap map) {
    std::string key = std::to_string(maps.count());
    maps.add(std::move(key), std::move(map));
  }
};

// One field of every row of a table, in order: the shape of the one-field tables.
template <class Row>
std::vector<std::string> columnOf(const Collection<Row>& rows, std::string Row::*field) {
  std::vector<std::string> column;
  for (long i = 1; i <= rows.count(); ++i) column.push_back(rows.item(i).*field);
  return column;
}

// End-of-game flags at start: profiles 0..50; the monitor grows the table for registered
// profiles beyond.
inline constexpr int kEndOfGameFlags = 51;

// The plug-in's module-level state, gathered in one object owned by the plug-in.
struct Module {
  // Start-up: keeps the root folder and creates the two sibling components through the
  // registry; a failure goes to the report under "Main" and leaves that component unset.
  Module(Ports ports, std::string rootFolder);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // An error trap whose failures go to ErrorReport with kind 4.
  ErrorTrap trap(const std::string& procedure, int32_t profile);
  IUtility& utility() const;
  IMemoryAccess& memory() const;
  // The profile's record; error 9 when the index is not registered.
  ProfileRecord& profile(int32_t index);
  const ProfileRecord& profile(int32_t index) const;

  Ports ports;
  std::string RootFolder;
  std::shared_ptr<IUtility> Utility;
  std::shared_ptr<IMemoryAccess> MemoryAccess;

  // Empty = not dimensioned yet; once dimensioned, bounds 0..size-1.
  std::vector<ProfileRecord> Profiles;
  std::vector<AddressTable> AddressTables;
  std::vector<uint8_t> AutoloadDone;
  int32_t CurrentProfile = 0;

  uint8_t ExtendedCatalogue = 0;
  CatalogueTables catalogue;
  std::unordered_map<std::string, CustomMapHeaders> customMapHeaders;
  CurrentListTables currentList;
  std::vector<uint8_t> EndOfGameHandled = std::vector<uint8_t>(kEndOfGameFlags, 0);
  // Per profile: the game state the map monitor saw last (-1: none), for the host's events.
  std::vector<int32_t> LastStateSeen;
  // The map each profile's monitor last saw running, by index: a new one ends the game before.
  std::vector<std::string> LastMapSeen;
  // The score limits the monitor last read of each profile's running game (kills, game score,
  // king of the hill); none yet: -1.
  std::vector<std::array<int32_t, 3>> LastLimitsSeen;

  std::unique_ptr<frmRotarynMaps> window;
  std::unique_ptr<WindowView> view;  // declared after the window: destroyed first
  vb::Rnd rnd;
};

// Tells the host's event port (if any) what happened on the profile; the listener's failure
// never reaches the caller.
void reportEvent(Module& module, int32_t profile, const std::string& name,
                 const EventFields& fields = {});

// Replaces the six catalogue collections with empty ones (the next reload fills them again).
void clearCatalogue(Module& module);

}  // namespace rotaryn
