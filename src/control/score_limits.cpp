#include "control/score_limits.h"

#include <optional>
#include <string>

#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "platform/error_trap.h"
#include "platform/scoped_flag.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "ui/controls.h"

namespace rotaryn {

void LimitBoxChange::operator()() {
  const LimitBox& limit = *limit_;
  Module& module = *module_;
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap(limit.name, index);
  trap.run([&] {
    trap.at(1);
    if (!hasScoreLimitFields(module, index)) return;
    int32_t current = readLong(module, index, limit.configured);
    if (current == 0) current = readLong(module, index, limit.fallback);

    trap.at(2);
    const std::optional<double> number = vb::parseNumber(box_->text.get());
    if (!number || *number == 0 || *number > limit.largest) {
      // The box's own change from putting the value back ends here when that value is refused
      // as well: the box shows it once.
      if (puttingBack_) return;
      trap.at(3);
      ScopedFlag during(puttingBack_);
      box_->text = std::to_string(current);
      return;
    }

    trap.at(4);
    const int32_t value = vb::CLng(Variant(*number));
    trap.at(5);
    writeLong(module, index, limit.configured, value);
  });
}

void SetScore(Module& module, int32_t Index, int16_t tk, int32_t dm, int32_t fb) {
  if (!hasScoreLimitFields(module, Index))
    raiseVbError(vberr::kInvalidCall, kNoLimitFieldsForSetScore);
  writeLong(module, Index, "CKothLimit", tk);
  writeLong(module, Index, "CMaxKills", dm);
  writeLong(module, Index, "CGameScore", fb);
}

}  // namespace rotaryn
