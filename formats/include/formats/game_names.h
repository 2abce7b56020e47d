#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rotaryn::formats {

// Display names of the game types 0..8, the numbers used in the catalogue, the server's map
// slots, saved lists and the exchange texts.
inline constexpr std::array<std::string_view, 9> kGameTypeNames{
    "Deathmatch",       "Team Deathmatch",    "Cooperative",       "Team King of the Hill",
    "King of the Hill", "Search and Destroy", "Attack and Defend", "Capture the Flag",
    "Flagball",
};

// The server's game state as the plug-in's monitor reads it.
inline constexpr int32_t kStateBetweenGames = 1;
inline constexpr int32_t kStateRunning = 2;
inline constexpr int32_t kStateRunningToo = 3;
inline constexpr int32_t kStateEndOfGame = 4;

// The type's name; "game type N" for a number outside 0..8.
std::string gameTypeName(int32_t type);
// "between games", "game running" (2 and 3), "end of game"; "state N" for any other number.
std::string gameStateName(int32_t state);

}  // namespace rotaryn::formats
