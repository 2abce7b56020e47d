#pragma once

#include <cstdint>

namespace rotaryn {

struct Module;

// The score limits a server runs with: each configured one, or the server's own when none is
// configured (0).
struct ScoreLimits {
  int32_t kills;      // "CMaxKills", else "MaxKills"
  int32_t gameScore;  // "CGameScore", else "MaxKills" too: there is no flagball field of its own
  int32_t koth;       // "CKothLimit", else "KothLimit"
};

// Reads the three limits of the profile's server, in that order. Raises what the reads raise.
ScoreLimits readScoreLimits(Module& module, int32_t index);

}  // namespace rotaryn
