// The remote API's read-only endpoints for the web console and rotaryn-admin: who the caller
// is, a profile's status, saved map lists, tasks and admin log, and the host's audit.
#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <chrono>

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
                                                          const ApiRequest& request) const {
  const QString name = QString::fromStdString(admin.name);
  if (request.kind == ApiRequest::Kind::kAudit && admin.privileges.count(kViewAudit) == 0) {
    return Reply{403, errorOf(403, QString("administrator %1 lacks the host privilege \"%2\" "
                                           "that the audit needs")
                                       .arg(name, kViewAudit))};
  }
  if (!isProfileRead(request.kind)) return std::nullopt;
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

RemoteApi::Reply RemoteApi::answerConsole(Call& call, const ApiRequest& request) {
  using Kind = ApiRequest::Kind;
  if (request.kind == Kind::kHistory) return answerHistory(call, request);
  const Administrator& admin = *call.admin;
  std::optional<QDate> day;
  if (request.kind == Kind::kAdminLog || request.kind == Kind::kAudit) {
    day = consoleDay(call.query);
    if (!day) return refuse(call, 400, "the day is given as ?day=yyyy-mm-dd, a real date");
    call.entry.insert("day", day->toString("yyyy-MM-dd"));
  }
  Reply reply;
  try {
    switch (request.kind) {
      case Kind::kWhoami:
        reply.body = whoami(admin);
        break;
      case Kind::kStatus:
        reply.body = profileStatus(request.profile);
        break;
      case Kind::kStatusAll: {
        const std::optional<int> wait = statusWait(call.query);
        if (!wait) {
          return refuse(
              call, 400,
              QString("the status list takes ?wait=seconds, 1 to %1").arg(kMostStatusWait));
        }
        const CachedStatus& list = everyStatus(admin);
        // The client holds this very list: it is told so rather than sent it again, at once or
        // when it changes (or its wait is over).
        const bool unchanged = call.ifNoneMatch == QByteArrayView(list.etag);
        if (unchanged && *wait > 0 && call.serial != 0 && server_) return holdStatus(call, *wait);
        reply = listReply(list, unchanged);
        break;
      }
      case Kind::kMapLists:
        reply.body = {{"lists", profileFiles(admin, request.profile, {{"op", "ListMapLists"}})}};
        break;
      case Kind::kTasks:
        reply.body = {{"tasks", profileFiles(admin, request.profile, {{"op", "ListTasks"}})}};
        break;
      case Kind::kAdminLog: {
        const QJsonObject log = profileFiles(admin, request.profile,
                                             {{"op", "ReadAdminLog"},
                                              {"Day", day->toString("yyyy-MM-dd")},
                                              {"Last", kMostLines}})
                                    .toObject();
        const QJsonArray lines = log.value("lines").toArray();
        reply.body = {{"day", day->toString("yyyy-MM-dd")},
                      {"lines", lines},
                      {"truncated", log.value("total").toInt() > lines.size()}};
        break;
      }
      case Kind::kAudit:
      default:
        reply.body = audit_.readDay(*day, kMostLines);
        break;
    }
  } catch (const std::exception& error) {
    // PluginCallError is one: the plug-in could not read; so is an audit file that cannot be.
    call.entry.insert("message", QString::fromStdString(error.what()));
    return audited(call, "failed", Reply{500, errorOf(500, QString::fromStdString(error.what()))});
  }
  return audited(call, "accepted", reply);
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

int64_t RemoteApi::steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

QByteArray RemoteApi::nextEtag() {
  // The host's start tells the versions of one run from another's.
  static const qint64 run = QDateTime::currentMSecsSinceEpoch();
  return '"' + QByteArray::number(run, 36) + '-' + QByteArray::number(++etags_) + '"';
}

const RemoteApi::CachedStatus& RemoteApi::everyStatus(const Administrator& admin) {
  // Consoles of one administrator see the same list: the answer is made once per reading.
  const int64_t nowMs = steadyMs();
  // What the host itself knows of each profile is never answered from the past: a server that
  // started or stopped, or an event its plug-in reported, makes the list anew.
  CachedStatus& made = everyStatusCache_[admin.name];
  hostState_.clear();
  for (const auto& [index, profile] : host_.profiles()) {
    hostState_.push_back(static_cast<uint64_t>(static_cast<uint32_t>(index)) << 2 |
                         (profile.loaded ? 2U : 0U) | (profile.serverRunning ? 1U : 0U));
    hostState_.push_back(static_cast<uint64_t>(profile.serverPid.value_or(0)));
    hostState_.push_back(host_.observer().eventsOf(index));
  }
  if (made.generation == statusGeneration_ && made.hostState == hostState_ &&
      nowMs - made.readMs < kStatusKeptMs) {
    return made;
  }
  QJsonArray list = profileList(admin).value("profiles").toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    QJsonObject entry = list[i].toObject();
    entry.insert("status", profileStatus(entry.value("index").toInt()));
    list[i] = entry;
  }
  QByteArray json = QJsonDocument(QJsonObject{{"profiles", list}}).toJson(QJsonDocument::Compact);
  // The same list read again keeps its version: consoles holding it are not sent it anew.
  const QByteArray etag = json == made.json ? made.etag : nextEtag();
  made = CachedStatus{nowMs, statusGeneration_, 0, {}, std::move(json), hostState_, etag};
  return made;
}

RemoteApi::Reply RemoteApi::listReply(const CachedStatus& list, bool unchanged) {
  Reply reply;
  reply.etag = list.etag;
  if (unchanged) {
    reply.status = 304;
  } else {
    reply.json = list.json;
  }
  return reply;
}

RemoteApi::Reply RemoteApi::holdStatus(Call& call, int seconds) {
  waiters_.push_back(Waiter{call.serial, call.admin->name, call.ifNoneMatch.toByteArray(),
                            steadyMs() + int64_t{seconds} * 1000, call.entry});
  if (!waiterCheck_) {
    // Every 2 s, as often as the monitor reads the servers, while a request is held.
    waiterCheck_ = std::make_unique<QTimer>();
    waiterCheck_->setInterval(kWaiterCheckMs);
    QObject::connect(waiterCheck_.get(), &QTimer::timeout, [this] { checkWaiters(); });
  }
  if (!waiterCheck_->isActive()) waiterCheck_->start();
  Reply held;
  held.later = true;
  return held;
}

void RemoteApi::checkWaiters() {
  const int64_t nowMs = steadyMs();
  // Answering one may read the next request of its connection, which may be held in turn: it
  // goes to the end of the list, which is walked in place.
  for (auto waiter = waiters_.begin(); waiter != waiters_.end();) {
    const Administrator* admin = nullptr;
    for (const Administrator& known : settings_.administrators) {
      if (known.name == waiter->admin) admin = &known;
    }
    Call call;
    call.entry = waiter->entry;
    Reply reply;
    if (admin == nullptr) {
      // administrators.ini was read again without the administrator.
      reply = refuse(call, 401, "the administrator is no longer in administrators.ini");
    } else {
      const CachedStatus& list = everyStatus(*admin);
      const bool changed = list.etag != waiter->etag;
      if (!changed && nowMs < waiter->untilMs) {
        ++waiter;
        continue;
      }
      reply = audited(call, "accepted", listReply(list, !changed));
    }
    const uint64_t serial = waiter->serial;
    waiter = waiters_.erase(waiter);
    // A client that left meanwhile is not answered; its line is in the audit all the same.
    server_->answerLater(serial, reply.answer());
  }
  if (waiters_.empty() && waiterCheck_) waiterCheck_->stop();
}

QJsonObject RemoteApi::profileStatus(int32_t index) {
  // Open consoles ask for every profile every 2 s. The plug-in's monitor reads each server
  // every 2 s and reports each change of game state, each game started or ended, each
  // rotation written and each change of the score limits: while it reported nothing for the
  // profile (and for kStatusKeptMs at most), the reading stands rather than being taken from
  // the server's memory once per console. An operation on the profile forgets it, so a console
  // reading back its own change sees the server.
  const HostApp::Profile& profile = host_.profile(index);
  if (!profile.serverRunning || !profile.loaded) {
    // The host's own knowledge, always current; no server to read.
    statusCache_.erase(index);
    return readStatus(index);
  }
  const int64_t nowMs = steadyMs();
  auto cached = statusCache_.find(index);
  const uint64_t events = host_.observer().eventsOf(index);
  if (cached != statusCache_.end() && cached->second.events == events &&
      nowMs - cached->second.readMs < kStatusKeptMs) {
    return cached->second.status;
  }
  QJsonObject status = readStatus(index);
  statusCache_[index] = CachedStatus{nowMs, statusGeneration_, events, status};
  return status;
}

QJsonObject RemoteApi::readStatus(int32_t index) {
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
