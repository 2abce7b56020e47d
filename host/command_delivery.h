#pragma once

#include <optional>
#include <string_view>

namespace rotaryn::host {

// How a profile's server takes console commands from the plug-in.
enum class CommandDelivery {
  // Through the server's console mailbox in its memory (dfbhd-sim, and servers that poll it).
  kMailbox,
  // Not at all: the plug-in's command is refused with a message saying delivery is off, so skip
  // and score fail visibly instead of silently.
  kNone,
};

inline std::optional<CommandDelivery> parseDelivery(std::string_view text) {
  if (text == "mailbox") return CommandDelivery::kMailbox;
  if (text == "none") return CommandDelivery::kNone;
  return std::nullopt;
}

}  // namespace rotaryn::host
