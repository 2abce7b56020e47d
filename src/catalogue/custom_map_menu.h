#pragma once

namespace rotaryn {

struct Module;

inline constexpr const char* kAddMapTitle = "Add Map to Game Folder";
inline constexpr const char* kMapFileFilter = "Delta Force Map Files (*.BMS)|*.BMS";
inline constexpr const char* kMapAdded = "Map Added to game folder successfully.";
inline constexpr const char* kSelectMap = "Please select a map in the list!";
inline constexpr const char* kOnlyCustomMaps =
    "You can only delete custom maps from the game folder!";
inline constexpr const char* kMapInRotation =
    "You cannot delete a map that is set in the games 'Current Maps' list!";

// The map list's pop-up menu, on CurrentProfile's game folder; trapped under "mnuAdd" and
// "mnuDelete".
//
// Add: asks for a map file and copies it with the ".til"/".wac" companions found beside it
// (base name up to the first ".") into the game folder, each file whole or not at all. The
// catalogue is not rescanned; the map shows from the next refill of the window.
void mnuAdd_Click(Module& module);
// Delete: the map selected in mfgList, after a Yes to the confirmation; refused for a stock
// map file and for a map of the current rotation. Only the map file goes (its companions stay);
// the window is refilled afterwards.
void mnuDelete_Click(Module& module);

}  // namespace rotaryn
