#include "sim/model/server_layout.h"

#include <stdexcept>
#include <string>

namespace rotaryn::sim {
namespace {

// Above every field of both builds (the highest is ModAdd of the affiliate build, 0x1010B40)
// and far below where a PIE executable, its heap and shared libraries load.
constexpr uint32_t kPackBlock = 0x01300000;
constexpr uint32_t kRotationHeader = 0x01310000;
constexpr uint32_t kPackBlockSize = 256;

struct TextField {
  std::string_view key;
  uint32_t size;
};
// Fields holding text or blocks larger than 4 bytes; all others are 32-bit.
constexpr TextField kTextFields[] = {
    {"CurMap", 64}, {"MapNameAdd", 773}, {"MsgStrAdd", 100}, {"MsgTitleAdd", 200},
    {"MsgDisplayAdd", 256},
};

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string_view buildName(ServerBuild build) {
  return build == ServerBuild::kAffiliate ? "affiliate" : "standard";
}

std::optional<ServerBuild> parseBuild(std::string_view text) {
  if (sameText(text, "standard")) return ServerBuild::kStandard;
  if (sameText(text, "affiliate")) return ServerBuild::kAffiliate;
  return std::nullopt;
}

ServerLayout::ServerLayout(ServerBuild build)
    : build_(build), rotationHeader_(kRotationHeader), packBlock_(kPackBlock) {}

std::span<const AddressEntry> ServerLayout::fields() const {
  return isAffiliate() ? affiliateAddresses() : standardAddresses();
}

std::optional<uint32_t> ServerLayout::find(std::string_view key) const {
  for (const AddressEntry& entry : fields()) {
    if (sameText(entry.key, key)) return static_cast<uint32_t>(entry.address);
  }
  return std::nullopt;
}

uint32_t ServerLayout::at(std::string_view key) const {
  if (auto address = find(key)) return *address;
  throw std::out_of_range("the " + std::string(buildName(build_)) + " build has no field \"" +
                          std::string(key) + "\"");
}

uint32_t ServerLayout::slotAddress(int32_t k) const {
  return at("BaseAdd") + static_cast<uint32_t>(k) * kSlotStride;
}

uint32_t ServerLayout::entryAddress(int32_t k) const {
  return rotationHeader_ + kEntriesOffset + static_cast<uint32_t>(k) * kEntryStride;
}

std::vector<AddressRange> ServerLayout::regions() const {
  std::vector<AddressRange> regions;
  for (const AddressEntry& entry : fields()) {
    uint32_t size = 4;
    for (const TextField& text : kTextFields) {
      if (sameText(text.key, entry.key)) size = text.size;
    }
    regions.push_back({static_cast<uint32_t>(entry.address), size});
  }
  regions.push_back({at("BaseAdd"), kSlotStride * kRotationCapacity});
  regions.push_back({rotationHeader_, kEntriesOffset + kEntryStride * kRotationCapacity});
  regions.push_back({packBlock_, kPackBlockSize});
  return regions;
}

}  // namespace rotaryn::sim
