#include "components/gravik/mailbox.h"

#include "formats/server_builds.h"
#include "platform/vb_error.h"

namespace rotaryn::gravik {

Mailbox mailboxFor(bool isAffiliate) {
  return {formats::serverFieldAddress(isAffiliate, "MsgTypeAdd"),
          formats::serverFieldAddress(isAffiliate, "MsgStrAdd")};
}

std::string mailboxText(std::string_view command) {
  if (command.empty()) raiseVbError(vberr::kInvalidCall, "AddMsg: the console command is empty");
  if (command.size() > static_cast<size_t>(formats::kConsoleCommandCapacity)) {
    raiseVbError(vberr::kInvalidCall, "AddMsg: a console command holds at most " +
                                          std::to_string(formats::kConsoleCommandCapacity) +
                                          " characters");
  }
  std::string text(command);
  text.push_back('\0');
  return text;
}

}  // namespace rotaryn::gravik
