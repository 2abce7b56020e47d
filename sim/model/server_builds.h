#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace rotaryn::sim {

// The two server builds we simulate: "Delta Force,  V1.5.0.5" and "Delta Force, NovaWorld
// Affiliate Server V1.5.0.11A".
enum class ServerBuild { kStandard, kAffiliate };

// "standard" / "affiliate", as the command-line options spell them.
std::string_view buildName(ServerBuild build);
// Either name, in any letter case.
std::optional<ServerBuild> parseBuild(std::string_view text);
// ASCII comparison without regard to letter case, as keys and build names are matched.
bool sameIgnoringCase(std::string_view a, std::string_view b);

// A named field of a server build and its absolute address in the server process.
struct FieldAddress {
  std::string_view key;
  uint32_t address;
};

// Where each build keeps its fields: facts about the server executables, kept here apart from
// the plug-in's own tables so that a wrong address on either side shows up as a difference
// (tests/sim/address_tables_test.cpp) instead of passing every test. Some keys of a build share
// an address (MapNum and MaxMaps in both; GameType with GTUpdate3 in the standard build and
// with GTUpdate4 in the affiliate one; ...): the server keeps one field there.
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

// The affiliate build has no kill, king-of-the-hill or configured limit fields.
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

inline constexpr std::span<const FieldAddress> fieldsOf(ServerBuild build) {
  if (build == ServerBuild::kAffiliate) return kAffiliateFields;
  return kStandardFields;
}

}  // namespace rotaryn::sim
