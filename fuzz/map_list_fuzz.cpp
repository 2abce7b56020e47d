// The map-list reader over any file content: it never fails, and every line it hands on is one
// of the file's lines split into exactly three fields.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/map_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const MapListParse parse = parseMapList(bytes);
  for (const MapListLine& line : parse.lines) {
    const std::string joined =
        line.gameType + std::string(formats::kRotationEntrySeparator) + line.customFlag;
    if (bytes.find(joined) == std::string::npos) std::abort();
    if (line.file.find(formats::kRotationEntrySeparator) != std::string::npos) std::abort();
  }
  if (parse.unparsable < 0 || parse.lines.size() + static_cast<size_t>(parse.unparsable) > size) {
    std::abort();
  }
  return 0;
}
