#pragma once

#include <cstdint>
#include <string>

namespace rotaryn {

struct Module;

// Copies the server's rotation into CurrentList and shows the map now playing. Unless the
// profile autoloads its last rotation, also records the rotation and score limits in its
// "lastsettings.ini". A rotation longer than 255 maps is cut to 255 in the server too.
// Failures are reported under "GetMapList"; what was read before stays in CurrentList.
void GetMapList(Module& module, int32_t index);

// The game type of the map that follows the one now playing (the rotation wraps to its first
// map). Failures are reported under "GetNextMapCode" and give 0.
int32_t GetNextMapCode(Module& module, int32_t index);

// The rotation position (0-based) the server plays and that entry's mission file, read as they
// are; a failing read raises.
struct PlayingEntry {
  int32_t position = 0;
  int32_t count = 0;  // maps in the rotation
  std::string mission;
};
PlayingEntry playingEntry(Module& module, int32_t index);

}  // namespace rotaryn
