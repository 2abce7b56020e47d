#pragma once

#include <string>

namespace rotaryn {

struct Module;

// Map files (".bms") in a server's game folder. Each routine traps its own failures, reports
// them under its own name for the current profile and then returns its default (false or "").

// True when the file starts with "BMS" (case-sensitive).
bool IsValidMap(Module& module, const std::string& path);
// The display name at offset 4, trimmed of spaces; NULs after the text stay. An empty name
// field is first filled from the file name (without extension, at most 31 characters).
std::string GetMapName(Module& module, const std::string& path);
// "A_B" from the game-type bytes at offsets 138 and 139.
std::string GetMapCode(Module& module, const std::string& path);
// The supported game types of a map code, ascending, each followed by ",": "0,1,7,".
std::string SetCode(Module& module, const std::string& code);
// Rebuilds the custom table from the folder (which ends with "\"): one row per supported game
// type of every valid ".bms" file. A failure of the scan itself ends it; rows added stay.
void GetCustomMaps(Module& module, const std::string& folder);
// Display name of the first stock or custom row with this mission file (trimmed, exact) and
// game-type text; "" when none matches.
std::string FindMapName(const Module& module, const std::string& file, const std::string& gameType,
                        bool custom);

}  // namespace rotaryn
