#include "components/gravik/mailbox.h"

#include <algorithm>

#include "memory/address_table.h"
#include "platform/vb_error.h"

namespace rotaryn::gravik {

namespace {

// The console's command capacity: 100 bytes with the NUL.
constexpr size_t kCommandCapacity = 99;

uint32_t addressIn(bool isAffiliate, std::string_view key) {
  auto table = isAffiliate ? affiliateAddresses() : standardAddresses();
  auto found = std::find_if(table.begin(), table.end(),
                            [key](const AddressEntry& entry) { return entry.key == key; });
  return static_cast<uint32_t>(found->address);
}

}  // namespace

Mailbox mailboxFor(bool isAffiliate) {
  return {addressIn(isAffiliate, "MsgTypeAdd"), addressIn(isAffiliate, "MsgStrAdd")};
}

std::string mailboxText(std::string_view command) {
  if (command.empty()) raiseVbError(vberr::kInvalidCall, "AddMsg: the console command is empty");
  if (command.size() > kCommandCapacity) {
    raiseVbError(vberr::kInvalidCall, "AddMsg: a console command holds at most " +
                                          std::to_string(kCommandCapacity) + " characters");
  }
  std::string text(command);
  text.push_back('\0');
  return text;
}

}  // namespace rotaryn::gravik
