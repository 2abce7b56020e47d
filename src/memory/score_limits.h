#pragma once

#include <cstdint>
#include <optional>

namespace rotaryn {

struct Module;

// The score limits a server runs with: each configured one, or the server's own when none is
// configured (0).
struct ScoreLimits {
  int32_t kills;      // "CMaxKills", else "MaxKills"
  int32_t gameScore;  // "CGameScore", else "MaxKills" too: there is no flagball field of its own
  int32_t koth;       // "CKothLimit", else "KothLimit"
};

// False for the affiliate build, whose address table has none of the five limit fields.
bool hasScoreLimitFields(const Module& module, int32_t index);

// Reads the three limits of the profile's server, in that order; nothing is read, and nothing
// returned, for a build without limit fields. Raises what the reads raise (9 for a profile
// that is not registered).
std::optional<ScoreLimits> readScoreLimits(Module& module, int32_t index);

}  // namespace rotaryn
