#pragma once

#include <cstdint>
#include <string>

namespace rotaryn {

// The bytes of a map file as the game ships it: signature, name field at 4 (NUL-padded to 32
// bytes), game-type bytes at 138 and 139, then some mission data.
inline std::string mapFileBytes(const std::string& name, uint8_t typeA, uint8_t typeB,
                                const std::string& signature = "BMS") {
  std::string bytes(512, '\0');
  bytes.replace(0, signature.size(), signature);
  bytes.replace(4, name.size(), name);
  bytes[138] = static_cast<char>(typeA);
  bytes[139] = static_cast<char>(typeB);
  return bytes;
}

}  // namespace rotaryn
