#pragma once

#include <cstdint>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// The window skip gives up waiting for the end of the game after this long.
inline constexpr int64_t kSkipWaitLimitMs = 10000;
// What a skip leaves of the end-of-game pause, in restart-countdown units (about 8 seconds).
inline constexpr int32_t kSkipCountdown = 500;

inline constexpr const char* kStateRefusal = "The games current state does not permit this action!";
inline constexpr const char* kSkipWaitGaveUp =
    "The server did not end the game within 10 seconds; the map was not skipped.";

// The window's game commands, on CurrentProfile as it is when they start. Each traps its
// failures under its own name; outside game states 2 and 3 each shows kStateRefusal (kind 2).
//
// Skip: "resetgames", then polls GameState every 50 ms (events run in between) until the server
// reaches state 4, and writes kSkipCountdown into RestartTmr. After kSkipWaitLimitMs it stops
// waiting, writes nothing and says so (kSkipWaitGaveUp, kind 2).
void cmdSkip_Click(Module& module);
// Score: "resetgames" only; the end-of-game display runs its course.
void cmdScore_Click(Module& module);
// Play next: makes the selected row of mfgCurrent the next map by setting the server's current
// position to the row before it (the last row for the first).
void cmdPlay_Click(Module& module);

// The same for a remote administrator: the profile is registered from Index and PDAT first,
// the result is 1 when the command was carried out and 0 when it was refused, and one admin-log
// line is appended either way. A failure is reported under the method's name and gives 0 with
// no log line. Data is not read by skip and score; for play next it is the 0-based rotation
// position to play next, refused (0, nothing written) outside the server's rotation.
//
// SkipMapRem does not wait for the end of the game: 50 ms after "resetgames" it writes
// kSkipCountdown into RestartTmr, whatever the state by then.
int32_t SkipMapRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data = {});
int32_t ScoreMapRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data = {});
int32_t PlayMapRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data = {});

}  // namespace rotaryn
