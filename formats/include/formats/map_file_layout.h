#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rotaryn::formats {

// The bytes of a map file (".bms") the plug-in reads: a signature, a NUL-padded name field and
// the two game-type bytes; the mission data around them is the game's own.
inline constexpr std::string_view kMapSignature = "BMS";
inline constexpr int64_t kMapNameOffset = 4;
inline constexpr int64_t kMapNameLength = 32;
inline constexpr int64_t kMapTypeOffsetA = 138;
inline constexpr int64_t kMapTypeOffsetB = 139;
inline constexpr int64_t kMapFileSize = 512;  // what a built file holds; the game's are larger

// A map file as the game ships it: `signature` (at most 4 bytes kept), `name` in the name field
// (at most kMapNameLength bytes; longer throws std::invalid_argument), the two game-type bytes,
// zeros elsewhere; `size` bytes long (at least kMapTypeOffsetB + 1).
std::string mapFileBytes(std::string_view name, uint8_t typeA, uint8_t typeB,
                         std::string_view signature = kMapSignature, int64_t size = kMapFileSize);

}  // namespace rotaryn::formats
