#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rotaryn::gravik {

// The server's console mailbox of one build: AddMsg puts the command text (NUL-terminated) at
// textAddress and then 1 at typeAddress; the server consumes the command and writes 0 back.
struct Mailbox {
  uint32_t typeAddress;  // MsgTypeAdd
  uint32_t textAddress;  // MsgStrAdd
};

Mailbox mailboxFor(bool isAffiliate);

// The command text and its NUL, ready to write. Raises VbError 5 for an empty command or one
// longer than the mailbox holds (99 bytes).
std::string mailboxText(std::string_view command);

}  // namespace rotaryn::gravik
