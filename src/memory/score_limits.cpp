#include "memory/score_limits.h"

#include <string>

#include "memory/server_fields.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

int32_t limitOf(Module& module, int32_t index, const std::string& configured,
                const std::string& fallback) {
  int32_t value = readLong(module, index, configured);
  return value != 0 ? value : readLong(module, index, fallback);
}

}  // namespace

bool hasScoreLimitFields(const Module& module, int32_t index) {
  return !module.profile(index).IsAffiliate;
}

std::optional<ScoreLimits> readScoreLimits(Module& module, int32_t index) {
  if (!hasScoreLimitFields(module, index)) return std::nullopt;
  ScoreLimits limits{};
  limits.kills = limitOf(module, index, "CMaxKills", "MaxKills");
  limits.gameScore = limitOf(module, index, "CGameScore", "MaxKills");
  limits.koth = limitOf(module, index, "CKothLimit", "KothLimit");
  return limits;
}

}  // namespace rotaryn
