#include "admin/session.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <ostream>

namespace rotaryn::admin {

int profileOf(const QString& text) {
  bool ok = false;
  const int profile = text.toInt(&ok);
  if (!ok || profile < 1) {
    throw UsageError("a profile is a whole number from 1, not \"" + text.toStdString() + "\"");
  }
  return profile;
}

Session::Session(const Options& options, QByteArray token, std::ostream& out, std::ostream& err)
    : options_(options), client_(QUrl(options.host), std::move(token)), out_(out), err_(err) {}

int Session::fail(const ApiAnswer& answer) {
  err_ << "rotaryn-admin: " << answer.problem.toStdString() << "\n";
  return answer.exitCode();
}

void Session::printJson(const QJsonObject& object) {
  out_ << QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

void Session::printReports(int profile, const ApiAnswer& answer) {
  for (const QJsonValue& report : answer.body.value("reports").toArray()) {
    err_ << "rotaryn-admin: profile " << profile
         << ": the plug-in reported: " << report.toString().toStdString() << "\n";
  }
}

QString Session::reasonOf(const ApiAnswer& answer) {
  const QString message = answer.body.value("message").toString();
  return message.isEmpty() ? QString("the plug-in answered 0 and the host gave no reason")
                           : message;
}

std::variant<formats::exchange::MapsAnswer, int> Session::fetchMaps(int profile) {
  const ApiAnswer answer = client_.call(profile, "GetMapsRem");
  if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
  const std::string text = answer.body.value("result").toString().toStdString();
  if (text.empty()) {
    err_ << "rotaryn-admin: the plug-in could not read the maps of profile " << profile << ": "
         << reasonOf(answer).toStdString() << "\n";
    return kExitFailed;
  }
  try {
    return formats::exchange::parseMapsAnswer(text);
  } catch (const formats::exchange::ExchangeError& error) {
    if (error.kind() == formats::exchange::ExchangeError::Kind::ServerNotRunning) {
      err_ << "rotaryn-admin: the server of profile " << profile << " is not running\n";
    } else {
      err_ << "rotaryn-admin: the maps answer cannot be read: " << error.what() << "\n";
    }
    return kExitFailed;
  }
}

int Session::change(int profile, const char* operation, const std::optional<QJsonValue>& data,
                    const QString& done, bool resultMeansDone, bool quiet, QIODevice* body) {
  const ApiAnswer answer =
      body ? client_.call(profile, operation, *body) : client_.call(profile, operation, data);
  if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
  if (options_.json) printJson(answer.body);
  printReports(profile, answer);
  if (resultMeansDone && answer.body.value("result").toInt() != 1) {
    err_ << "rotaryn-admin: profile " << profile << ": " << operation
         << " was not done: " << reasonOf(answer).toStdString() << "\n";
    return kExitFailed;
  }
  if (!options_.json && !quiet) {
    out_ << "profile " << profile << ": " << done.toStdString() << "\n";
  }
  return kExitDone;
}

}  // namespace rotaryn::admin
