#pragma once

#include <iosfwd>
#include <optional>

#include "admin/admin_client.h"

namespace rotaryn::admin {

// rotaryn-admin status [P]: the status of one profile, or of every profile the administrator
// may see, as a table (or, with json, the host's answers as they are). Returns the exit code:
// the worst of the profiles' answers.
int runStatus(ApiClient& client, std::optional<int> profile, bool json, std::ostream& out,
              std::ostream& err);

}  // namespace rotaryn::admin
