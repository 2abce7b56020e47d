#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sim/model/server_builds.h"
#include "sim/model/server_memory.h"

namespace rotaryn::sim {

// The server's rotation structures (formats/server_builds.h); offsets in bytes.
inline constexpr uint32_t kSlotStride = formats::rotation::kSlotSize;
inline constexpr uint32_t kSlotNameOffset = formats::rotation::kSlotNameOffset;
inline constexpr uint32_t kSlotConstantOffset = formats::rotation::kSlotConstantOffset;
inline constexpr uint32_t kSlotMarkerOffset = formats::rotation::kSlotMarkerOffset;
inline constexpr uint32_t kSlotGameTypeOffset = formats::rotation::kSlotTypeOffset;
inline constexpr uint32_t kSlotCustomOffset = formats::rotation::kSlotCustomOffset;
inline constexpr int32_t kSlotConstant = formats::rotation::kSlotConstant;
inline constexpr uint32_t kHeaderCountCopyOffset = formats::rotation::kSecondCountOffset;
inline constexpr uint32_t kHeaderCountOffset = formats::rotation::kCountOffset;
inline constexpr uint32_t kHeaderPositionOffset = formats::rotation::kCurrentOffset;
inline constexpr uint32_t kEntriesOffset = formats::rotation::kFirstEntryOffset;
inline constexpr uint32_t kEntryStride = formats::rotation::kEntrySize;
inline constexpr uint32_t kEntryCustomOffset = formats::rotation::kEntryCustomOffset;
inline constexpr uint32_t kPackNameOffset = formats::kPackNameOffset;  // in the block at ModAdd
using formats::kCountdownUnitsPerSecond;
// Room for rotation entries and map slots. The plug-in writes at most 255; tests may give the
// server more (the reader cuts a rotation of 300 to 255), so allow twice that.
inline constexpr int32_t kRotationCapacity = 512;
// Longest texts the model writes, so a text never runs into the next field: CurMap lies 64
// bytes below GameType in the standard build; the mailbox text 100 bytes below MsgTitleAdd.
inline constexpr size_t kCurMapCapacity = 63;
inline constexpr size_t kCommandCapacity = formats::kConsoleCommandCapacity;
// A rotation entry's mission file ends before its custom flag; a map's display name becomes
// CurMap while the map plays.
inline constexpr size_t kMissionFileCapacity = kEntryCustomOffset - 1;
inline constexpr size_t kDisplayNameCapacity = kCurMapCapacity;
// Room for the resource pack's name in the block ModAdd points to.
inline constexpr size_t kPackNameCapacity = 219;
inline constexpr const char* kBasePack = "localres.pff";

// The simulator's own block, which no real server has: what it found checking its rotation and
// its simulated score, so that outside tools (rotaryn-memtool) can show them. It starts with a
// marker text telling a simulated server from a real one.
inline constexpr uint32_t kSimInfoBlock = 0x01320000;
inline constexpr uint32_t kSimInfoMarkerOffset = 0;        // text, kSimInfoMarker and its NUL
inline constexpr uint32_t kSimInfoViolationsOffset = 16;   // int32: violations found so far
inline constexpr uint32_t kSimInfoChecksOffset = 20;       // int32: map starts checked
inline constexpr uint32_t kSimInfoScoreOffset = 24;        // int32: leading score of the game
inline constexpr uint32_t kSimInfoEndedOffset = 28;        // int32: games that entered state 4
inline constexpr uint32_t kSimInfoDisplaysCutOffset = 32;  // int32: ends whose display was cut
inline constexpr uint32_t kSimInfoSize = 36;
inline constexpr const char* kSimInfoMarker = "dfbhd-sim info";

// Where one build keeps everything the simulated server holds. The named fields are the build's
// own (server_builds.h); the rotation header and the resource-pack block live wherever the
// pointers at MapPointer and ModAdd say, and we place them in otherwise unused pages of both
// builds (below 0x2000000, above every field).
class ServerLayout {
 public:
  explicit ServerLayout(ServerBuild build);

  ServerBuild build() const { return build_; }
  bool isAffiliate() const { return build_ == ServerBuild::kAffiliate; }
  std::span<const FieldAddress> fields() const { return fieldsOf(build_); }
  // The address of a key (case-insensitive), or nothing when the build lacks it.
  std::optional<uint32_t> find(std::string_view key) const;
  // Throws std::out_of_range naming the key and the build when the build lacks it.
  uint32_t at(std::string_view key) const;
  bool has(std::string_view key) const { return find(key).has_value(); }

  uint32_t rotationHeader() const { return rotationHeader_; }  // P: the value at MapPointer
  uint32_t packBlock() const { return packBlock_; }
  uint32_t simInfoBlock() const { return kSimInfoBlock; }
  uint32_t slotAddress(int32_t k) const;
  uint32_t entryAddress(int32_t k) const;

  // How many bytes lie between address and the next field above it (a named field, a field of
  // a map slot, of the rotation header or of a rotation entry, the pack name, the end of what
  // the server holds), when address lies in something the server holds; nothing otherwise. A
  // text written at address must fit with its NUL.
  std::optional<uint32_t> roomAt(uint32_t address) const;

  // Every range the server holds: each field, the slots, the header and entries, the pack
  // block, the simulator's info block. Homes map pageRanges(regions()).
  std::vector<AddressRange> regions() const;

 private:
  std::vector<AddressRange> namedRanges() const;  // each named field with its size

  ServerBuild build_;
  uint32_t rotationHeader_;
  uint32_t packBlock_;
};

}  // namespace rotaryn::sim
