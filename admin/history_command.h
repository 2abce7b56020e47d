#pragma once

#include <QJsonArray>
#include <QString>
#include <optional>
#include <ostream>
#include <string>

#include "admin/admin_client.h"

namespace rotaryn::admin {

// rotaryn-admin history P [--since yyyy-mm-dd]: the games the host recorded for the profile, from
// that date (default: the host's today) to the host's today, one table row per game (--json:
// the host's answer). Returns the exit code.
int historyCommand(ApiClient& client, int profile, const std::optional<QString>& since, bool json,
                   std::ostream& out, std::ostream& err);

// The games of a history answer as a table: end, start (local times), map, mission, game type,
// rotation position, how it ended and by whom.
std::string historyTable(const QJsonArray& games);

}  // namespace rotaryn::admin
