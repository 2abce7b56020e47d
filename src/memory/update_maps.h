#pragma once

namespace rotaryn {

struct Module;

// Who asked for the write, as the host's metrics count it.
enum class UpdateOrigin { kWindow, kTask, kAutoload, kRemote };
const char* updateOriginName(UpdateOrigin origin);

// Update Maps for the current profile: writes CurrentList into the server's map slots and
// rotation list, then both count fields, and records the window's rotation and score limits in
// "lastsettings.ini". Only while a game runs (state 2 or 3).
//
// silent = true is the variant for callers without an operator watching (the start-up autoload,
// the task runner): no message at all, neither the success nor a refusal. The button passes
// false.
//
// More than 255 named maps in CurrentList are refused before anything is written, with a
// "Failed!" message unless silent: a server rotation holds 255, and cutting the list would
// send a rotation the operator did not build.
//
// A failing memory or file write is reported under "cmdUpdateProc" and ends the operation: the
// slots written so far stay, and the count fields keep their old values until every slot and
// entry is in place.
//
// Returns true when the rotation was written, which is then reported to the host's event port as
// rotation_write with its origin.
bool cmdUpdateProc_Click(Module& module, bool silent, UpdateOrigin origin = UpdateOrigin::kWindow);

}  // namespace rotaryn
