#include "admin/status_command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <ostream>
#include <vector>

namespace rotaryn::admin {
namespace {

const QStringList kColumns{"P",    "FOLDER", "SERVER",   "STATE", "MAP",
                           "TYPE", "POS",    "NEXT MAP", "LIMITS"};

// One table row of a status answer; a stopped server's row says so and ends there.
QStringList rowOf(const QJsonObject& status) {
  QStringList row{QString::number(status.value("profile").toInt()),
                  status.value("folder").toString(), status.value("serverType").toString()};
  if (!status.value("running").toBool()) return row << "stopped";
  if (!status.contains("state")) return row << status.value("message").toString();
  QString position;
  if (status.contains("position")) {
    position = QString("%1/%2")
                   .arg(status.value("position").toInt())
                   .arg(status.value("rotationLength").toInt());
  }
  QString limits = "-";
  if (const QJsonObject l = status.value("limits").toObject(); !l.isEmpty()) {
    limits = QString("kills %1, game score %2, KOTH %3")
                 .arg(l.value("kills").toInt())
                 .arg(l.value("gameScore").toInt())
                 .arg(l.value("koth").toInt());
  }
  return row << status.value("stateName").toString() << status.value("map").toString()
             << status.value("gameTypeName").toString() << position
             << status.value("nextMap").toString() << limits;
}

void printTable(const std::vector<QStringList>& rows, std::ostream& out) {
  std::vector<qsizetype> widths;
  for (const QStringList& row : rows) {
    widths.resize(std::max<size_t>(widths.size(), static_cast<size_t>(row.size())));
    for (qsizetype i = 0; i < row.size(); ++i) {
      widths[static_cast<size_t>(i)] = std::max(widths[static_cast<size_t>(i)], row[i].size());
    }
  }
  for (const QStringList& row : rows) {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
      line +=
          i + 1 < row.size() ? row[i].leftJustified(widths[static_cast<size_t>(i)] + 2) : row[i];
    }
    out << line.toStdString() << "\n";
  }
}

}  // namespace

int runStatus(ApiClient& client, std::optional<int> profile, bool json, std::ostream& out,
              std::ostream& err) {
  std::vector<int> indexes;
  if (profile) {
    indexes.push_back(*profile);
  } else {
    const ApiAnswer list = client.profiles();
    if (list.kind != ApiAnswer::Kind::kAnswered) {
      err << "rotaryn-admin: " << list.problem.toStdString() << "\n";
      return list.exitCode();
    }
    for (const QJsonValue& entry : list.body.value("profiles").toArray()) {
      indexes.push_back(entry.toObject().value("index").toInt());
    }
  }
  int code = kExitDone;
  std::vector<QStringList> rows{kColumns};
  QJsonArray answers;
  for (int index : indexes) {
    const ApiAnswer answer = client.status(index);
    if (answer.kind != ApiAnswer::Kind::kAnswered) {
      err << "rotaryn-admin: profile " << index << ": " << answer.problem.toStdString() << "\n";
      code = std::max(code, answer.exitCode());
      continue;
    }
    answers.append(answer.body);
    rows.push_back(rowOf(answer.body));
  }
  if (json) {
    const QJsonDocument document = profile && !answers.isEmpty()
                                       ? QJsonDocument(answers[0].toObject())
                                       : QJsonDocument(answers);
    out << document.toJson(QJsonDocument::Indented).toStdString();
  } else if (rows.size() > 1) {
    printTable(rows, out);
  }
  return code;
}

}  // namespace rotaryn::admin
