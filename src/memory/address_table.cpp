#include "memory/address_table.h"

#include <array>
#include <string>

#include "errors/error_report.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

constexpr std::array<AddressEntry, 28> kStandard{{
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
}};

constexpr std::array<AddressEntry, 23> kAffiliate{{
    {"GameState", 0x9DB300},   {"GameType", 0xA2B85C},      {"MapNum", 0xA2BC1C},
    {"BaseAdd", 0xA36A68},     {"MapPointer", 0x9E49B0},    {"MapNameAdd", 0xA36C77},
    {"CurMap", 0x70C7DC},      {"MaxMaps", 0xA2BC1C},       {"MsgTypeAdd", 0x870B44},
    {"MsgTitleAdd", 0x870BB0}, {"MsgDisplayAdd", 0x870C78}, {"MsgStrAdd", 0x870B4C},
    {"ModAdd", 0x1010B40},     {"GTUpdate1", 0x9E955C},     {"GTUpdate2", 0x9F24D0},
    {"GTUpdate3", 0x9FA80C},   {"GTUpdate4", 0xA2B85C},     {"GTUpdate5", 0xF792E8},
    {"Score1a", 0x9FA898},     {"Score1b", 0xA2B874},       {"Score2a", 0x9FA898},
    {"Score2b", 0xA2B874},     {"RestartTmr", 0x9D19B8},
}};

}  // namespace

std::span<const AddressEntry> standardAddresses() {
  return kStandard;
}
std::span<const AddressEntry> affiliateAddresses() {
  return kAffiliate;
}

void SetMemory(Module& module, int32_t index, bool isAffiliate) {
  ErrorTrap trap = module.trap("SetMemory", index);
  trap.run([&] {
    trap.at(1);
    if (index < 0 || static_cast<size_t>(index) >= module.AddressTables.size()) {
      raiseVbError(vberr::kSubscriptOutOfRange);
    }
    AddressTable& table = module.AddressTables[static_cast<size_t>(index)];
    table = AddressTable{};
    trap.at(2);
    for (const AddressEntry& entry : isAffiliate ? affiliateAddresses() : standardAddresses()) {
      table.add(std::string(entry.key), entry.address);
    }
  });
}

int32_t addressOf(const Module& module, int32_t index, const std::string& key) {
  if (index < 0 || static_cast<size_t>(index) >= module.AddressTables.size()) {
    raiseVbError(vberr::kSubscriptOutOfRange);
  }
  return module.AddressTables[static_cast<size_t>(index)].item(key);
}

}  // namespace rotaryn
