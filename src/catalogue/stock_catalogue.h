#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "formats/game_names.h"

namespace rotaryn {

struct Module;

// One stock map of the extended variant. baseKey is its key in the base variant, 0 when the
// base variant leaves it out.
struct StockMapRow {
  uint8_t gameType;
  uint8_t baseKey;
  std::string_view file;
  std::string_view name;
};

inline constexpr int kExtendedStockMaps = 185;
inline constexpr int kBaseStockMaps = 117;

// The extended variant's rows in key order (key = position + 1).
std::span<const StockMapRow> stockMapRows();

// Rebuilds the three stock tables for the variant (1 = extended, anything else = base), keyed
// "1".."N", then the custom table from the current profile's game folder. Raises what it meets
// outside the folder scan (an unregistered current profile: 9); the caller's trap reports it.
void LoadCatalogue(Module& module, int variant);

// The resource pack the profile's server has loaded: the text 36 bytes into the block "ModAdd"
// points to.
std::string serverResourcePack(Module& module, int32_t index);
// Sets ExtendedCatalogue from the resource pack the profile's server has loaded: 0 for exactly
// "localres.pff", 1 for anything else. Memory failures propagate to the caller's trap.
void setExtendedCatalogue(Module& module, int32_t index);

}  // namespace rotaryn
