#include "formats/map_file_layout.h"

#include <algorithm>
#include <stdexcept>

namespace rotaryn::formats {

std::string mapFileBytes(std::string_view name, uint8_t typeA, uint8_t typeB,
                         std::string_view signature, int64_t size) {
  if (name.size() > static_cast<size_t>(kMapNameLength)) {
    throw std::invalid_argument("a map file's name field holds 32 bytes");
  }
  if (size <= kMapTypeOffsetB) {
    throw std::invalid_argument("a map file holds at least " + std::to_string(kMapTypeOffsetB + 1) +
                                " bytes");
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  const std::string_view kept = signature.substr(0, std::min<size_t>(signature.size(), 4));
  bytes.replace(0, kept.size(), kept);
  bytes.replace(static_cast<size_t>(kMapNameOffset), name.size(), name);
  bytes[static_cast<size_t>(kMapTypeOffsetA)] = static_cast<char>(typeA);
  bytes[static_cast<size_t>(kMapTypeOffsetB)] = static_cast<char>(typeB);
  return bytes;
}

}  // namespace rotaryn::formats
