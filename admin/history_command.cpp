#include "admin/history_command.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <vector>

#include "formats/game_names.h"

namespace rotaryn::admin {
namespace {

constexpr size_t kColumns = 8;
using Row = std::array<std::string, kColumns>;

std::string timeOf(const QJsonValue& value) {
  return value.isString() ? value.toString().replace('T', ' ').toStdString() : "-";
}

Row rowOf(const QJsonObject& game) {
  const int type = game.value("gameType").toInt(-1);
  const int position = game.value("position").toInt(-1);
  return Row{timeOf(game.value("endLocal")),
             timeOf(game.value("startLocal")),
             game.value("map").toString().toStdString(),
             game.value("mission").toString().toStdString(),
             type >= 0 ? formats::gameTypeName(type) : "-",
             position >= 0 ? std::to_string(position) : "-",
             game.value("ended").toString().toStdString(),
             game.value("admin").isString() ? game.value("admin").toString().toStdString() : "-"};
}

}  // namespace

std::string historyTable(const QJsonArray& games) {
  std::vector<Row> rows{
      Row{"Ended", "Started", "Map", "Mission", "Game type", "Pos", "How", "Admin"}};
  for (const QJsonValue& game : games) rows.push_back(rowOf(game.toObject()));
  std::array<size_t, kColumns> widths{};
  for (const Row& row : rows) {
    for (size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string table;
  for (const Row& row : rows) {
    std::string line;
    for (size_t c = 0; c < kColumns; ++c) {
      line += row[c];
      if (c + 1 < kColumns) line += std::string(widths[c] - row[c].size() + 2, ' ');
    }
    table += line + "\n";
  }
  return table;
}

int historyCommand(ApiClient& client, int profile, const std::optional<QString>& since, bool json,
                   std::ostream& out, std::ostream& err) {
  static const QRegularExpression kDate("^\\d{4}-\\d{2}-\\d{2}$");
  if (since && !kDate.match(*since).hasMatch()) {
    err << "rotaryn-admin: --since is a date yyyy-mm-dd, not \"" << since->toStdString()
        << "\" (rotaryn-admin --help)\n";
    return kExitUsage;
  }
  const ApiAnswer answer = client.history(profile, since);
  if (answer.kind != ApiAnswer::Kind::kAnswered) {
    err << "rotaryn-admin: " << answer.problem.toStdString() << "\n";
    return answer.exitCode();
  }
  if (json) {
    out << QJsonDocument(answer.body).toJson(QJsonDocument::Indented).toStdString();
    return kExitDone;
  }
  const QJsonArray games = answer.body.value("games").toArray();
  out << "profile " << profile << ": " << games.size() << " games from "
      << answer.body.value("from").toString().toStdString() << " to "
      << answer.body.value("to").toString().toStdString() << "\n";
  if (!games.isEmpty()) out << historyTable(games);
  return kExitDone;
}

}  // namespace rotaryn::admin
