#include "catalogue/map_files.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "formats/map_file_layout.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

// The map file header fields, by byte offset.
using formats::kMapSignature;
constexpr int64_t kNameOffset = formats::kMapNameOffset;
constexpr int64_t kNameLength = formats::kMapNameLength;
// Read as three bytes, as the code always has; the last two carry the types.
constexpr int64_t kCodeOffset = formats::kMapTypeOffsetA - 1;
constexpr int64_t kCodeLength = 3;
constexpr int64_t kHeaderLength = formats::kMapTypeOffsetB + 1;
constexpr long kMaxFallbackName = 31;  // keeps a NUL at the end of the 32-byte field
constexpr std::string_view kNul{"\0", 1};

// The bit of game-type byte B that announces each type; type 6 follows byte A instead.
constexpr int kAttackAndDefend = 6;
constexpr int32_t kAttackAndDefendAbove = 143;
constexpr std::array<int32_t, 9> kTypeBits{2, 32, 1, 64, 4, 128, 0, 16, 8};
constexpr int kGameTypes = static_cast<int>(kTypeBits.size());

// Bit t set when game type t is supported. Byte B's bits count only when B is a byte.
using TypeMask = uint16_t;
TypeMask typeMask(int32_t a, int32_t b) {
  const bool bitsApply = b >= 0 && b <= 255;
  TypeMask mask = 0;
  for (int type = 0; type < kGameTypes; ++type) {
    const bool supported = type == kAttackAndDefend ? a > kAttackAndDefendAbove
                                                    : bitsApply && (b & kTypeBits[type]) != 0;
    if (supported) mask |= static_cast<TypeMask>(1u << type);
  }
  return mask;
}

// Bytes past the end of a short file read as NUL, as a binary Get leaves them.
std::string readPadded(FileSystem& files, const std::string& path, int64_t offset, int64_t count) {
  std::string bytes = files.ReadAt(path, offset, count);
  bytes.resize(static_cast<size_t>(count), '\0');
  return bytes;
}

bool hasSignature(std::string_view header) {
  return header.substr(0, 3) == kMapSignature;
}

std::string codeOf(uint8_t a, uint8_t b) {
  return std::to_string(a) + "_" + std::to_string(b);
}

// The file name without folder and extension, short enough to leave the field NUL-terminated.
std::string nameFromPath(const std::string& path) {
  std::string file = vb::Mid(path, vb::InStrRev(path, "\\") + 1);
  return vb::Left(vb::Left(file, static_cast<long>(file.size()) - 4), kMaxFallbackName);
}

// GetMapName over a header the caller may already hold, so the folder scan opens each file
// once.
std::string mapName(Module& module, const std::string& path, const std::string* header) {
  ErrorTrap trap = module.trap("GetMapName", module.CurrentProfile);
  std::string result;
  trap.run([&] {
    trap.at(1);
    std::string name = header ? header->substr(kNameOffset, kNameLength)
                              : readPadded(module.ports.files, path, kNameOffset, kNameLength);
    trap.at(2);
    if (vb::Replace(name, kNul, "").empty()) {
      trap.at(3);
      name = nameFromPath(path);
      trap.at(4);
      module.ports.files.WriteAt(path, kNameOffset, name);
    }
    result = vb::Trim(name);
  });
  return result;
}

// The whole header under IsValidMap's name: a file that cannot be read is reported there.
std::optional<std::string> readHeader(Module& module, const std::string& path) {
  ErrorTrap trap = module.trap("IsValidMap", module.CurrentProfile);
  std::optional<std::string> header;
  trap.run([&] {
    trap.at(1);
    header = readPadded(module.ports.files, path, 0, kHeaderLength);
  });
  return header;
}

bool hasMapExtension(std::string_view file) {
  return file.size() >= 4 && vb::EqualsText(file.substr(file.size() - 4), ".bms");
}

bool isEmptyName(std::string_view header) {
  return header.substr(kNameOffset, kNameLength).find_first_not_of(kNul) == std::string_view::npos;
}

// One row per supported game type, in the custom tables.
void addRows(CatalogueTables& tables, const CustomMapHeader& map, const std::string& file) {
  const bool blanks = !file.empty() && (file.front() == ' ' || file.back() == ' ');
  const std::string trimmed = blanks ? vb::Trim(file) : std::string();
  const std::string& listedAs = blanks ? trimmed : file;
  for (int type = 0; type < kGameTypes; ++type) {
    if (!(map.types & (1u << type))) continue;
    tables.custom.add({map.name, listedAs, std::to_string(type)});
  }
}

}  // namespace

bool IsValidMap(Module& module, const std::string& path) {
  ErrorTrap trap = module.trap("IsValidMap", module.CurrentProfile);
  bool valid = false;
  trap.run([&] {
    trap.at(1);
    valid = hasSignature(readPadded(module.ports.files, path, 0, kMapSignature.size()));
  });
  return valid;
}

std::string GetMapName(Module& module, const std::string& path) {
  return mapName(module, path, nullptr);
}

std::string GetMapCode(Module& module, const std::string& path) {
  ErrorTrap trap = module.trap("GetMapCode", module.CurrentProfile);
  std::string code;
  trap.run([&] {
    trap.at(1);
    std::string bytes = readPadded(module.ports.files, path, kCodeOffset, kCodeLength);
    code = codeOf(static_cast<uint8_t>(bytes[1]), static_cast<uint8_t>(bytes[2]));
  });
  return code;
}

std::string SetCode(Module& module, const std::string& code) {
  ErrorTrap trap = module.trap("SetCode", module.CurrentProfile);
  std::string list;
  trap.run([&] {
    trap.at(1);
    std::vector<std::string> parts = vb::Split(code, "_");
    if (parts.size() < 2) raiseVbError(vberr::kSubscriptOutOfRange);
    const int32_t a = vb::CLng(Variant(parts[0]));
    const int32_t b = vb::CLng(Variant(parts[1]));
    trap.at(2);
    const TypeMask supported = typeMask(a, b);
    for (int type = 0; type < kGameTypes; ++type) {
      if (supported & (1u << type)) list += std::to_string(type) + ",";
    }
  });
  return list;
}

void GetCustomMaps(Module& module, const std::string& folder) {
  ErrorTrap trap = module.trap("GetCustomMaps", module.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    CatalogueTables& tables = module.catalogue;
    // Emptied in place: a rescan reuses the room the last one took.
    tables.custom.clear();
    trap.at(2);
    const Listing listing = module.ports.files.FilesWithIdentityOf(folder);
    const std::vector<ListedFile>& files = *listing;
    CustomMapHeaders& known = module.customMapHeaders[folder];
    const uint64_t scan = ++known.scans;
    known.files.reserve(files.size());
    size_t kept = 0;
    for (const ListedFile& file : files) {
      trap.at(3);
      if (!hasMapExtension(file.name)) continue;
      // One lookup: a file not known yet gets its entry here, filled in below or taken back.
      auto [cached, added] = known.files.try_emplace(file.name);
      if (added || !file.identity || !(cached->second.identity == *file.identity)) {
        const std::string path = folder + file.name;
        const std::optional<std::string> header = readHeader(module, path);
        if (!header) {  // reported, and read again next time
          if (added) known.files.erase(cached);
          continue;
        }
        CustomMapHeader fresh;
        fresh.valid = hasSignature(*header);
        if (fresh.valid) {
          trap.at(4);
          fresh.name = vb::Trim(vb::Replace(mapName(module, path, &*header), kNul, ""));
          // The bytes always make a well-formed code, so its types come straight from them.
          fresh.types = typeMask(static_cast<uint8_t>((*header)[kCodeOffset + 1]),
                                 static_cast<uint8_t>((*header)[kCodeOffset + 2]));
        }
        // A file whose empty name field was just filled in has changed since it was listed:
        // it is read again next time, as is one whose identity is unknown.
        const bool named = !fresh.valid || !isEmptyName(*header);
        if (!file.identity || !named) {
          known.files.erase(cached);
          if (fresh.valid) {
            trap.at(5);
            addRows(tables, fresh, file.name);
          }
          continue;
        }
        fresh.identity = *file.identity;
        cached->second = std::move(fresh);
      }
      cached->second.scan = scan;
      ++kept;
      if (cached->second.valid) {
        trap.at(5);
        addRows(tables, cached->second, file.name);
      }
    }
    // Files no longer listed are forgotten.
    if (kept < known.files.size()) {
      std::erase_if(known.files, [scan](const auto& entry) { return entry.second.scan != scan; });
    }
  });
}

std::string FindMapName(const Module& module, const std::string& file, const std::string& gameType,
                        bool custom) {
  const CatalogueTables& tables = module.catalogue;
  const Collection<CatalogueMap>& maps = custom ? tables.custom : tables.stock;
  const std::string wanted = vb::Trim(file);
  for (long position = 1; position <= maps.count(); ++position) {
    const CatalogueMap& map = maps.item(position);
    if (vb::Trim(map.file) == wanted && map.type == gameType) return map.name;
  }
  return "";
}

}  // namespace rotaryn
