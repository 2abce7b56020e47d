#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "formats/server_builds.h"

namespace rotaryn::sim {

// The two server builds we simulate: "Delta Force,  V1.5.0.5" and "Delta Force, NovaWorld
// Affiliate Server V1.5.0.11A".
enum class ServerBuild { kStandard, kAffiliate };

// "standard" / "affiliate", as the command-line options spell them.
std::string_view buildName(ServerBuild build);
// Either name, in any letter case.
std::optional<ServerBuild> parseBuild(std::string_view text);
// ASCII comparison without regard to letter case, as keys and build names are matched.
bool sameIgnoringCase(std::string_view a, std::string_view b);

using formats::FieldAddress;

inline constexpr std::span<const FieldAddress> fieldsOf(ServerBuild build) {
  return formats::serverFields(build == ServerBuild::kAffiliate);
}

}  // namespace rotaryn::sim
