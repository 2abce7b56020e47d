#include "sim/model/server_builds.h"

#include <iterator>

namespace rotaryn::sim {
namespace {

constexpr bool sameKeys(std::span<const FieldAddress> a, std::span<const FieldAddress> b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i].key != b[i].key) return false;
  }
  return true;
}

constexpr uint32_t addressIn(std::span<const FieldAddress> fields, std::string_view key) {
  for (const FieldAddress& field : fields) {
    if (field.key == key) return field.address;
  }
  return 0;
}

static_assert(std::size(kStandardFields) == 28);
static_assert(std::size(kAffiliateFields) == 23);
static_assert(sameKeys(kStandardFields, kAffiliateFields),
              "the affiliate build's fields are the standard build's first 23, in that order");
// The model reads slot 0's display name both ways.
static_assert(addressIn(kStandardFields, "MapNameAdd") ==
              addressIn(kStandardFields, "BaseAdd") + 527);
static_assert(addressIn(kAffiliateFields, "MapNameAdd") ==
              addressIn(kAffiliateFields, "BaseAdd") + 527);

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
