#pragma once

#include <cstdint>

namespace rotaryn {

struct Module;

// Game states of the server's "GameState" field, as the whole plug-in reads them.
namespace gamestate {
inline constexpr int32_t kBetweenGames = 1;
inline constexpr int32_t kRunning = 2;
inline constexpr int32_t kRunningToo = 3;
inline constexpr int32_t kEndOfGame = 4;
}  // namespace gamestate

// Commands on the running game are accepted in states 2 and 3 only.
constexpr bool gameIsRunning(int32_t state) {
  return state >= gamestate::kRunning && state < gamestate::kEndOfGame;
}

// One tick of the profile's map monitor (timer "tmrMaps", every 2 seconds):
// - shows "Map playing: " and the server's map in lblCurMap when the profile is the one shown;
// - in state 4: once per end of game, writes the next map's game type into GTUpdate1..5 when it
//   differs from the running one; on every tick, cuts RestartTmr down to the profile's
//   display time in Maps.ini (units of 5 seconds, 62 countdown units a second), never raising it;
// - in state 1: re-arms the end-of-game work for the next end of game;
// - in states 2 and 3: imposes the configured limit of the running game type family (its
//   fallback when it is 0) on the active limit fields. Builds without limit fields are left alone.
// It tells the host's event port of each game it first sees running (game_started), of each end
// of game (game_ended) and of each display cut (display_cut).
// A missing table element (error 9) skips only its step; any other failure ends the tick and is
// reported under "tmrMaps". Never raises.
void tmrMaps_Timer(Module& module, int32_t index);

}  // namespace rotaryn
