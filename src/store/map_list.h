#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/rotation_entry.h"

namespace rotaryn {

struct Module;

// One line of a map-list file: a rotation entry, "type[-]flag[-]FILE.BMS".
using MapListLine = formats::RotationEntryFields;

struct MapListParse {
  std::vector<MapListLine> lines;
  // Lines with the separator at or after their third character but not exactly three fields.
  int unparsable = 0;
};

inline constexpr const char* kMapListFilter = "Maplist files (*.mpl)|*.mpl";
inline constexpr const char* kMapListLoadTitle = "Load saved map list";
inline constexpr const char* kMapListSaveTitle = "Save map list";
inline constexpr const char* kMapListSaved = "Map List saved successfully.";
inline constexpr const char* kMapListInvalid = "Invalid or Empty map file!";
inline constexpr const char* kMapListMissing = "Unable to locate the following map files: ";
// The title of a box the plug-in shows without one of its own.
inline constexpr const char* kPlainBoxTitle = "twkRotaryn";

// Splits a map-list file into its usable lines. Lines end at CR LF, CR or LF. An empty line, or
// one whose first separator starts before its third character, is skipped without notice.
MapListParse parseMapList(std::string_view bytes);

// "type[-]flag[-]file" and CR LF, as Save Maps writes each row.
std::string mapListLine(int32_t gameType, bool custom, const std::string& file);

// Reads the file into a new CurrentList (maps the catalogue does not know are left out), refills
// the grid, and tells the operator of an empty result, missing maps and unparsable lines.
// Failures go to the error report under "LoadFile".
void LoadMapList(Module& module, const std::string& path);

// The Save Maps / Load Maps buttons: the file dialog in the current profile's settings folder,
// then the write or the load. Cancelling either dialog changes nothing.
void cmdSave_Click(Module& module);
void cmdLoad_Click(Module& module);

}  // namespace rotaryn
