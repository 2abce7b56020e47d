#pragma once

// Facts about the two dedicated server builds Rotaryn drives, "Delta Force,  V1.5.0.5" (the
// standard build) and "Delta Force, NovaWorld Affiliate Server V1.5.0.11A": where each keeps its
// fields, and the shape of the rotation, map slots and mailbox both share. The plug-in reads
// and writes a server by them; the simulator lays its server out by them.

#include <cstdint>
#include <span>
#include <string_view>

namespace rotaryn::formats {

// A named field of a server build and its absolute address in the server process.
struct FieldAddress {
  std::string_view key;
  uint32_t address;
};

// Keys in the order the plug-in adds them to a profile's table. Some keys share an address
// (MapNum and MaxMaps in both builds; GameType with GTUpdate3 in the standard build and with
// GTUpdate4 in the affiliate one; ...): the server keeps one field there.
inline constexpr FieldAddress kStandardFields[] = {
    {"GameState", 0x9E4748},   {"GameType", 0xA0342C},      {"MapNum", 0xA3483C},
    {"BaseAdd", 0xA3F688},     {"MapPointer", 0x9ED5F8},    {"MapNameAdd", 0xA3F897},
    {"CurMap", 0xA033EC},      {"MaxMaps", 0xA3483C},       {"MsgTypeAdd", 0x879A0C},
    {"MsgTitleAdd", 0x879A78}, {"MsgDisplayAdd", 0x879B40}, {"MsgStrAdd", 0x879A14},
    {"ModAdd", 0xF65700},      {"GTUpdate1", 0x9F21A4},     {"GTUpdate2", 0x9FB178},
    {"GTUpdate3", 0xA0342C},   {"GTUpdate4", 0xA3447C},     {"GTUpdate5", 0xECE0E8},
    {"Score1a", 0x9F21AC},     {"Score1b", 0xA034B8},       {"Score2a", 0x9F21B8},
    {"Score2b", 0xA344B4},     {"RestartTmr", 0x9DAE00},    {"MaxKills", 0xA34494},
    {"KothLimit", 0xA344B4},   {"CMaxKills", 0xA3FBA9},     {"CGameScore", 0xA3FBAD},
    {"CKothLimit", 0xA3FBB1},
};

// The standard build's first 23 keys: the affiliate build has no kill, king-of-the-hill or
// configured limit fields.
inline constexpr FieldAddress kAffiliateFields[] = {
    {"GameState", 0x9DB300},   {"GameType", 0xA2B85C},      {"MapNum", 0xA2BC1C},
    {"BaseAdd", 0xA36A68},     {"MapPointer", 0x9E49B0},    {"MapNameAdd", 0xA36C77},
    {"CurMap", 0x70C7DC},      {"MaxMaps", 0xA2BC1C},       {"MsgTypeAdd", 0x870B44},
    {"MsgTitleAdd", 0x870BB0}, {"MsgDisplayAdd", 0x870C78}, {"MsgStrAdd", 0x870B4C},
    {"ModAdd", 0x1010B40},     {"GTUpdate1", 0x9E955C},     {"GTUpdate2", 0x9F24D0},
    {"GTUpdate3", 0x9FA80C},   {"GTUpdate4", 0xA2B85C},     {"GTUpdate5", 0xF792E8},
    {"Score1a", 0x9FA898},     {"Score1b", 0xA2B874},       {"Score2a", 0x9FA898},
    {"Score2b", 0xA2B874},     {"RestartTmr", 0x9D19B8},
};

inline constexpr std::span<const FieldAddress> serverFields(bool affiliate) {
  if (affiliate) return kAffiliateFields;
  return kStandardFields;
}

// The address of a key of the build; 0 for a key it lacks.
inline constexpr uint32_t serverFieldAddress(bool affiliate, std::string_view key) {
  for (const FieldAddress& field : serverFields(affiliate)) {
    if (field.key == key) return field.address;
  }
  return 0;
}

// Both builds' rotation list at P, the value at "MapPointer": two copies of the count, the
// position playing, then one 36-byte entry per map (its mission file, then its custom flag).
// Map slots follow "BaseAdd", one per map; slot 0's display name is "MapNameAdd".
namespace rotation {
inline constexpr int32_t kSecondCountOffset = 4;
inline constexpr int32_t kCountOffset = 8;
inline constexpr int32_t kCurrentOffset = 12;
inline constexpr int32_t kFirstEntryOffset = 16;
inline constexpr int32_t kEntrySize = 36;
inline constexpr int32_t kEntryCustomOffset = 32;
inline constexpr int32_t kSlotSize = 1840;
inline constexpr int32_t kSlotNameOffset = 527;
inline constexpr int32_t kSlotConstantOffset = 1300;
inline constexpr int32_t kSlotMarkerOffset = 1308;
inline constexpr int32_t kSlotTypeOffset = 1309;
inline constexpr int32_t kSlotCustomOffset = 1808;
inline constexpr int32_t kMarkerFromName = kSlotMarkerOffset - kSlotNameOffset;
inline constexpr int32_t kSlotTypeFromName = kSlotTypeOffset - kSlotNameOffset;
// Every slot the server may start carries this value.
inline constexpr int32_t kSlotConstant = 0x02251B60;
// The most maps the plug-in gives a server (and writes to MaxMaps).
inline constexpr int32_t kMaxRotation = 255;
}  // namespace rotation

// RestartTmr counts down this many units a second.
inline constexpr int32_t kCountdownUnitsPerSecond = 62;
// The loaded resource pack's name lies this many bytes into the block "ModAdd" points to.
inline constexpr int32_t kPackNameOffset = 36;
// A console command in the mailbox at MsgStrAdd: at most 99 characters and its NUL.
inline constexpr int32_t kConsoleCommandCapacity = 99;

namespace detail {
constexpr bool affiliateKeysLeadStandard() {
  for (size_t i = 0; i < std::size(kAffiliateFields); ++i) {
    if (kAffiliateFields[i].key != kStandardFields[i].key) return false;
  }
  return true;
}
}  // namespace detail

static_assert(std::size(kStandardFields) == 28 && std::size(kAffiliateFields) == 23);
static_assert(detail::affiliateKeysLeadStandard(),
              "the affiliate build's fields are the standard build's first 23, in that order");
// Slot 0's display name is read both ways: at MapNameAdd and at BaseAdd plus the name's offset.
static_assert(serverFieldAddress(false, "MapNameAdd") ==
              serverFieldAddress(false, "BaseAdd") + 527);
static_assert(serverFieldAddress(true, "MapNameAdd") == serverFieldAddress(true, "BaseAdd") + 527);

}  // namespace rotaryn::formats
