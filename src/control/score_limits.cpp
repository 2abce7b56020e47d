#include "control/score_limits.h"

#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"

namespace rotaryn {

void SetScore(Module& module, int32_t Index, int16_t tk, int32_t dm, int32_t fb) {
  if (!hasScoreLimitFields(module, Index))
    raiseVbError(vberr::kInvalidCall, kNoLimitFieldsForSetScore);
  writeLong(module, Index, "CKothLimit", tk);
  writeLong(module, Index, "CMaxKills", dm);
  writeLong(module, Index, "CGameScore", fb);
}

}  // namespace rotaryn
