#include "formats/game_names.h"

namespace rotaryn::formats {

std::string gameTypeName(int32_t type) {
  if (type >= 0 && type < static_cast<int32_t>(kGameTypeNames.size())) {
    return std::string(kGameTypeNames[static_cast<size_t>(type)]);
  }
  return "game type " + std::to_string(type);
}

std::string gameStateName(int32_t state) {
  switch (state) {
    case kStateBetweenGames:
      return "between games";
    case kStateRunning:
    case kStateRunningToo:
      return "game running";
    case kStateEndOfGame:
      return "end of game";
    default:
      return "state " + std::to_string(state);
  }
}

}  // namespace rotaryn::formats
