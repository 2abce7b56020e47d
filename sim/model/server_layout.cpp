#include "sim/model/server_layout.h"

#include <algorithm>
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
    {"CurMap", 64},       {"MapNameAdd", 773},    {"MsgStrAdd", 100},
    {"MsgTitleAdd", 200}, {"MsgDisplayAdd", 256},
};

// Where the fields inside one map slot, one rotation entry, the rotation header and the pack
// block start, and where each ends.
constexpr uint32_t kSlotFieldStarts[] = {0,
                                         kSlotNameOffset,
                                         kSlotConstantOffset,
                                         kSlotConstantOffset + 4,
                                         kSlotMarkerOffset,
                                         kSlotGameTypeOffset,
                                         kSlotGameTypeOffset + 1,
                                         kSlotCustomOffset,
                                         kSlotCustomOffset + 4,
                                         kSlotStride};
constexpr uint32_t kEntryFieldStarts[] = {0, kEntryCustomOffset, kEntryStride};
constexpr uint32_t kHeaderFieldStarts[] = {0, kHeaderCountCopyOffset, kHeaderCountOffset,
                                           kHeaderPositionOffset, kEntriesOffset};
constexpr uint32_t kPackFieldStarts[] = {0, kPackNameOffset, kPackBlockSize};
constexpr uint32_t kSimInfoFieldStarts[] = {
    kSimInfoMarkerOffset, kSimInfoViolationsOffset,  kSimInfoChecksOffset, kSimInfoScoreOffset,
    kSimInfoEndedOffset,  kSimInfoDisplaysCutOffset, kSimInfoSize};

// The first start above offset, in a structure repeating every stride bytes.
uint64_t nextStart(std::span<const uint32_t> starts, uint64_t offset) {
  for (uint32_t start : starts) {
    if (start > offset) return start;
  }
  return starts.back();
}

}  // namespace

ServerLayout::ServerLayout(ServerBuild build)
    : build_(build), rotationHeader_(kRotationHeader), packBlock_(kPackBlock) {}

std::optional<uint32_t> ServerLayout::find(std::string_view key) const {
  for (const FieldAddress& entry : fields()) {
    if (sameIgnoringCase(entry.key, key)) return entry.address;
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

std::optional<uint32_t> ServerLayout::roomAt(uint32_t address) const {
  const uint64_t where = address;
  std::optional<uint64_t> end;  // of the field holding the address
  auto within = [&](uint64_t begin, uint64_t size) {
    return where >= begin && where < begin + size;
  };
  auto consider = [&](uint64_t candidate) { end = end ? std::min(*end, candidate) : candidate; };

  uint64_t slots = at("BaseAdd");
  if (within(slots, uint64_t{kSlotStride} * kRotationCapacity)) {
    uint64_t slot = slots + (where - slots) / kSlotStride * kSlotStride;
    consider(slot + nextStart(kSlotFieldStarts, where - slot));
  }
  uint64_t header = rotationHeader_;
  if (within(header, kEntriesOffset))
    consider(header + nextStart(kHeaderFieldStarts, where - header));
  uint64_t entries = header + kEntriesOffset;
  if (within(entries, uint64_t{kEntryStride} * kRotationCapacity)) {
    uint64_t entry = entries + (where - entries) / kEntryStride * kEntryStride;
    consider(entry + nextStart(kEntryFieldStarts, where - entry));
  }
  if (within(packBlock_, kPackBlockSize)) {
    consider(packBlock_ + nextStart(kPackFieldStarts, where - packBlock_));
  }
  if (within(kSimInfoBlock, kSimInfoSize)) {
    consider(kSimInfoBlock + nextStart(kSimInfoFieldStarts, where - kSimInfoBlock));
  }
  for (const AddressRange& field : namedRanges()) {
    if (within(field.address, field.size)) consider(field.end());
  }
  if (!end) return std::nullopt;
  // A named field inside the one holding the address (the configured limits inside map slot 0)
  // ends it too.
  for (const FieldAddress& field : fields()) {
    if (field.address > where && field.address < *end) end = field.address;
  }
  return static_cast<uint32_t>(*end - where);
}

std::vector<AddressRange> ServerLayout::namedRanges() const {
  std::vector<AddressRange> ranges;
  for (const FieldAddress& entry : fields()) {
    uint32_t size = 4;
    for (const TextField& text : kTextFields) {
      if (sameIgnoringCase(text.key, entry.key)) size = text.size;
    }
    ranges.push_back({entry.address, size});
  }
  return ranges;
}

std::vector<AddressRange> ServerLayout::regions() const {
  std::vector<AddressRange> regions = namedRanges();
  regions.push_back({at("BaseAdd"), kSlotStride * kRotationCapacity});
  regions.push_back({rotationHeader_, kEntriesOffset + kEntryStride * kRotationCapacity});
  regions.push_back({packBlock_, kPackBlockSize});
  regions.push_back({kSimInfoBlock, kSimInfoSize});
  return regions;
}

}  // namespace rotaryn::sim
