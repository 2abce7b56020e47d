#include "components/gravik/mailbox.h"

#include "platform/vb_error.h"
#include "sim/model/server_layout.h"

namespace rotaryn::gravik {

Mailbox mailboxFor(bool isAffiliate) {
  sim::ServerLayout layout(isAffiliate ? sim::ServerBuild::kAffiliate : sim::ServerBuild::kStandard);
  return {layout.at("MsgTypeAdd"), layout.at("MsgStrAdd")};
}

std::string mailboxText(std::string_view command) {
  if (command.empty()) raiseVbError(vberr::kInvalidCall, "AddMsg: the console command is empty");
  if (command.size() > sim::kCommandCapacity) {
    raiseVbError(vberr::kInvalidCall, "AddMsg: a console command holds at most " +
                                          std::to_string(sim::kCommandCapacity) + " characters");
  }
  std::string text(command);
  text.push_back('\0');
  return text;
}

}  // namespace rotaryn::gravik
