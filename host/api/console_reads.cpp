// The remote API's read-only endpoints for the web console and rotaryn-admin: who the caller
// is, a profile's status, saved map lists, tasks and admin log, and the host's audit.
#include <QDate>
#include <QJsonArray>

#include "host/api/remote_api.h"
#include "host/config/pdat.h"
#include "host/host_app.h"
#include "host/host_text.h"

namespace rotaryn::host::api {
namespace {

// The most lines an admin-log or audit answer holds: the last of the day.
constexpr int kMostLines = 1000;

QJsonObject errorOf(int status, const QString& message) {
  return QJsonObject{{"error", QJsonObject{{"status", status}, {"message", message}}}};
}

}  // namespace

std::optional<RemoteApi::Reply> RemoteApi::consoleRefusal(const Administrator& admin,
                                                          const ApiRequest& request,
                                                          QJsonObject& entry) const {
  entry.insert("operation", consoleReadName(request.kind));
  const QString name = QString::fromStdString(admin.name);
  if (request.kind == ApiRequest::Kind::kAudit && admin.privileges.count(kViewAudit) == 0) {
    return Reply{403, errorOf(403, QString("administrator %1 lacks the host privilege \"%2\" "
                                           "that the audit needs")
                                       .arg(name, kViewAudit))};
  }
  if (request.kind == ApiRequest::Kind::kWhoami || request.kind == ApiRequest::Kind::kAudit) {
    return std::nullopt;
  }
  entry.insert("profile", request.profile);
  if (!admin.mayTouch(request.profile)) {
    return Reply{
        403,
        errorOf(
            403,
            QString("administrator %1 may not touch profile %2").arg(name).arg(request.profile))};
  }
  if (host_.profiles().count(request.profile) == 0) {
    return Reply{404, errorOf(404, QString("there is no profile %1").arg(request.profile))};
  }
  return std::nullopt;
}

RemoteApi::Reply RemoteApi::consoleRead(const Administrator& admin, const ApiRequest& request,
                                        QByteArrayView query, QJsonObject& entry) {
  if (std::optional<Reply> refusal = consoleRefusal(admin, request, entry)) {
    return refuse(entry, refusal->status, refusal->body.value("error")["message"].toString());
  }
  using Kind = ApiRequest::Kind;
  std::optional<QDate> day;
  if (request.kind == Kind::kAdminLog || request.kind == Kind::kAudit) {
    day = consoleDay(query);
    if (!day) return refuse(entry, 400, "the day is given as ?day=yyyy-mm-dd, a real date");
    entry.insert("day", day->toString("yyyy-MM-dd"));
  }
  QJsonObject answer;
  try {
    switch (request.kind) {
      case Kind::kWhoami:
        answer = whoami(admin);
        break;
      case Kind::kStatus:
        answer = profileStatus(request.profile);
        break;
      case Kind::kMapLists:
        answer = {{"lists", profileFiles(admin, request.profile, {{"op", "ListMapLists"}})}};
        break;
      case Kind::kTasks:
        answer = {{"tasks", profileFiles(admin, request.profile, {{"op", "ListTasks"}})}};
        break;
      case Kind::kAdminLog: {
        const QJsonObject log = profileFiles(admin, request.profile,
                                             {{"op", "ReadAdminLog"},
                                              {"Day", day->toString("yyyy-MM-dd")},
                                              {"Last", kMostLines}})
                                    .toObject();
        const QJsonArray lines = log.value("lines").toArray();
        answer = {{"day", day->toString("yyyy-MM-dd")},
                  {"lines", lines},
                  {"truncated", log.value("total").toInt() > lines.size()}};
        break;
      }
      case Kind::kAudit:
      default:
        answer = audit_.readDay(*day, kMostLines);
        break;
    }
  } catch (const std::exception& error) {
    // PluginCallError is one: the plug-in could not read; so is an audit file that cannot be.
    entry.insert("status", 500);
    entry.insert("outcome", "failed");
    entry.insert("message", QString::fromStdString(error.what()));
    writeAudit(entry);
    return Reply{500, errorOf(500, QString::fromStdString(error.what()))};
  }
  entry.insert("status", 200);
  entry.insert("outcome", "accepted");
  writeAudit(entry);
  return Reply{200, answer};
}

QJsonObject RemoteApi::whoami(const Administrator& admin) const {
  QJsonArray privileges;
  QJsonArray hostPrivileges;
  for (const std::string& privilege : host_.plugin().description().privileges) {
    if (admin.privileges.count(privilege) > 0) privileges.append(QString::fromStdString(privilege));
  }
  for (const std::string& privilege : admin.privileges) {
    if (isHostPrivilege(privilege)) hostPrivileges.append(QString::fromStdString(privilege));
  }
  QJsonArray profiles;
  for (const auto& [index, profile] : host_.profiles()) {
    if (admin.mayTouch(index)) profiles.append(index);
  }
  return QJsonObject{{"name", QString::fromStdString(admin.name)},
                     {"privileges", privileges},
                     {"hostPrivileges", hostPrivileges},
                     {"profiles", profiles}};
}

QJsonObject RemoteApi::profileStatus(int32_t index) {
  const HostApp::Profile& profile = host_.profile(index);
  QJsonObject status{{"profile", index},
                     {"folder", fromWindows1252(profile.config.profileFolder)},
                     {"serverType", fromWindows1252(profile.config.serverType)},
                     {"running", profile.serverRunning}};
  if (!profile.serverRunning) return status;
  if (!profile.loaded) {
    status.insert("message", "the server runs but the plug-in cannot read it (not loaded)");
    return status;
  }
  try {
    // The same reading as GET .../state, laid out flat beside the host's own fields.
    const QJsonObject state = host_.serverState(index);
    for (auto it = state.begin(); it != state.end(); ++it) status.insert(it.key(), it.value());
  } catch (const PluginCallError& error) {
    status.insert("message", "the server cannot be read: " + error.description());
  }
  return status;
}

QJsonValue RemoteApi::profileFiles(const Administrator& admin, int32_t index, QJsonObject call) {
  const HostApp::Profile& profile = host_.profile(index);
  // The plug-in finds the profile's files from its PDAT; the server need not have run.
  call.insert("PDAT",
              buildPdat(profile.config, profile.serverPid.value_or(0), host_.config(), admin.name));
  return host_.plugin().call(call);
}

}  // namespace rotaryn::host::api
