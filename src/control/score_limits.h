#pragma once

#include <cstdint>

namespace rotaryn {

struct Module;

inline constexpr const char* kNoLimitFieldsForSetScore =
    "This server build has no score-limit fields; its limits cannot be set.";

// The host's SetScore: writes tk into "CKothLimit", dm into "CMaxKills" and fb into
// "CGameScore" of profile Index, in that order, with no range test (0 clears a limit, so the
// server's own applies again). No error trap: a failure raises to the host, and the fields
// written before it stay written. A build without limit fields raises 5 before any write.
void SetScore(Module& module, int32_t Index, int16_t tk, int32_t dm, int32_t fb);

}  // namespace rotaryn
