#pragma once

#include <cstdint>

namespace rotaryn {

struct Module;

// Restores the profile's last rotation and score limits from its "lastsettings.ini" into the
// server, once per start of the profile unless forced. A "noautoload_<profile>.asf" marker in
// the root's settings folder skips one autoload and is deleted. When nothing can be restored
// (no file, no entry whose map is known) the server's own rotation is read instead. The
// rotation goes to the server through a silent Update Maps, so only while a game runs; the
// limits are written regardless (not on the affiliate build, which has no limit fields).
// Failures are reported under "AutoLoadMap"; what was done before stays done.
void AutoLoadMap(Module& module, int32_t profile, bool force);

// The limits autoload falls back to for an empty, non-numeric or below-1 value.
inline constexpr const char* kDefaultKothScore = "10";
inline constexpr const char* kDefaultKillScore = "500";
inline constexpr const char* kDefaultFlagballScore = "20";

}  // namespace rotaryn
