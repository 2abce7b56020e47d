#include "sim/model/server_builds.h"

namespace rotaryn::sim {
namespace {

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

std::string_view buildName(ServerBuild build) {
  return build == ServerBuild::kAffiliate ? "affiliate" : "standard";
}

std::optional<ServerBuild> parseBuild(std::string_view text) {
  if (sameIgnoringCase(text, "standard")) return ServerBuild::kStandard;
  if (sameIgnoringCase(text, "affiliate")) return ServerBuild::kAffiliate;
  return std::nullopt;
}

}  // namespace rotaryn::sim
