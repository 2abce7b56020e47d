#include "host/api/remote_api.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

#include <cmath>
#include <stdexcept>

#include "host/api/api_validation.h"
#include "host/api/static_files.h"
#include "host/host_app.h"
#include "host/host_text.h"
#include "host/server_watch.h"

namespace rotaryn::host::api {
namespace {

QJsonObject errorBody(int status, const QString& message) {
  return QJsonObject{{"error", QJsonObject{{"status", status}, {"message", message}}}};
}

// An audit line holds a text result whole when it is short; a long one (the map list) by size.
void putResult(QJsonObject& entry, const QJsonValue& result) {
  if (result.isString() && result.toString().size() > 80) {
    entry.insert("resultLength", result.toString().size());
  } else {
    entry.insert("result", result);
  }
}

QByteArrayView viewOf(std::string_view text) {
  return QByteArrayView(text.data(), static_cast<qsizetype>(text.size()));
}

void addTarget(QJsonObject& entry, const QJsonObject& target) {
  for (auto it = target.begin(); it != target.end(); ++it) entry.insert(it.key(), it.value());
}

// The plug-in's answer says the change was made: 1 for a change, a text for GetMapsRem.
// SetAutoLoad and SetDisplayTimer answer 0 whatever they did.
bool changeMade(const ApiOperation& operation, const QJsonValue& result) {
  const std::string name = operation.name.toStdString();
  if (name == "SetAutoLoad" || name == "SetDisplayTimer") return true;
  if (name == "GetMapsRem") return !result.toString().isEmpty() && result.toString() != "Failed";
  return result.toInt() == 1;
}

std::optional<QHostAddress> addressOf(const std::string& host) {
  if (host == "localhost") return QHostAddress(QHostAddress::LocalHost);
  if (host == "*" || host == "any") return QHostAddress(QHostAddress::Any);
  QHostAddress address;
  if (!address.setAddress(QString::fromStdString(host))) return std::nullopt;
  return address;
}

}  // namespace

RemoteApi::RemoteApi(HostApp& host, std::string rootPosix, Note note)
    : host_(host), root_(std::move(rootPosix)), note_(std::move(note)), audit_(root_) {}

RemoteApi::~RemoteApi() = default;

bool RemoteApi::listening() const {
  return server_ != nullptr && server_->isListening();
}

uint16_t RemoteApi::port() const {
  return listening() ? server_->serverPort() : 0;
}

std::string RemoteApi::readSettings(const ApiOptions& options) {
  try {
    std::vector<std::string> warnings;
    settings_ = readAdministrators(root_, host_.plugin().description().privileges, &warnings);
    for (const std::string& warning : warnings) note_("warning: " + warning);
    if (options.listen) settings_.listen = parseListenAddress(*options.listen);
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

std::string RemoteApi::readTls(std::optional<QSslConfiguration>& tls) const {
  if (settings_.certificatePath.empty()) return "";
  if (!QSslSocket::supportsSsl()) return "TLS is configured but this Qt has no TLS backend";
  const auto certificates =
      QSslCertificate::fromPath(QString::fromStdString(settings_.certificatePath), QSsl::Pem);
  if (certificates.isEmpty()) return "cannot read the TLS certificate " + settings_.certificatePath;
  QFile keyFile(QString::fromStdString(settings_.keyPath));
  if (!keyFile.open(QIODevice::ReadOnly)) return "cannot read the TLS key " + settings_.keyPath;
  const QByteArray keyText = keyFile.readAll();
  QSslKey key(keyText, QSsl::Rsa);
  if (key.isNull()) key = QSslKey(keyText, QSsl::Ec);
  if (key.isNull()) return "the TLS key " + settings_.keyPath + " is no PEM RSA or EC key";
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  configuration.setLocalCertificate(certificates.front());
  configuration.setPrivateKey(key);
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  tls = configuration;
  return "";
}

QByteArray RemoteApi::Reply::bytes() const {
  return json.isNull() ? QJsonDocument(body).toJson(QJsonDocument::Compact) : json;
}

HttpAnswer RemoteApi::Reply::answer() const {
  HttpAnswer answer{status, later ? QByteArray() : bytes()};
  answer.etag = etag;
  answer.later = later;
  return answer;
}

HttpServer::Handlers RemoteApi::handlers() {
  HttpServer::Handlers handlers;
  handlers.head = [this](const http::RequestHead& head,
                         const QString& peer) -> std::optional<HttpAnswer> {
    // The console's page and its files need no token; /metrics and the history check their own.
    if (isStaticRoute(viewOf(head.method), viewOf(head.target))) return std::nullopt;
    if (observabilityPath(viewOf(head.path()))) return std::nullopt;
    auto refusal = checkHead(viewOf(head.method), viewOf(head.path()),
                             viewOf(head.header("Authorization")), peer, head.serial);
    if (!refusal) return std::nullopt;
    return refusal->answer();
  };
  handlers.request = [this](const http::RequestHead& head, QByteArrayView body,
                            const QString& peer) {
    if (isStaticRoute(viewOf(head.method), viewOf(head.target))) {
      return staticAnswer(viewOf(head.target));
    }
    if (observabilityPath(viewOf(head.path()))) return serveObservability(head, peer);
    return handle(viewOf(head.method), viewOf(head.path()), viewOf(head.header("Authorization")),
                  body, peer, viewOf(head.query()), viewOf(head.header("If-None-Match")),
                  head.serial)
        .answer();
  };
  handlers.refused = [this](int status, const QString& reason, QByteArrayView head,
                            const QString& peer) {
    refusedBeforeReading(status, reason, head, peer);
  };
  return handlers;
}

void RemoteApi::startAuditFlush() {
  // The count of refusals left out of the audit is written once their peer's window ends,
  // also when that peer has gone quiet.
  auditFlush_ = std::make_unique<QTimer>();
  auditFlush_->setInterval(AuditLog::kRefusalWindowMs / 4);
  // It runs only while refusals are counted: an idle host is not woken for it.
  QObject::connect(auditFlush_.get(), &QTimer::timeout, [this] {
    if (std::string problem = audit_.flushDropped(); !problem.empty()) note_("audit: " + problem);
    if (!audit_.countingRefusals()) auditFlush_->stop();
  });
}

std::string RemoteApi::start(const ApiOptions& options) {
  options_ = options;
  if (options.off) {
    note_("remote API off (--api-off)");
    return "";
  }
  if (std::string problem = readSettings(options); !problem.empty()) return problem;
  if (std::string problem = startMetricsListener(); !problem.empty()) return problem;
  if (settings_.administrators.empty() && !options.listen) {
    note_(std::string("remote API off: ") + kAdministratorsFileName +
          " names no administrator (rotaryn-host --add-admin NAME --privileges ...)");
    return "";
  }
  std::optional<QHostAddress> address = addressOf(settings_.listen.host);
  if (!address) return "the remote API cannot listen on \"" + settings_.listen.host + "\"";
  std::optional<QSslConfiguration> tls;
  if (std::string problem = readTls(tls); !problem.empty()) return problem;

  server_ = std::make_unique<HttpServer>(settings_.limits, tls, handlers());
  if (!server_->listen(*address, settings_.listen.port)) {
    std::string why = server_->errorString().toStdString();
    server_.reset();
    return "the remote API cannot listen on " + settings_.listen.host + ":" +
           std::to_string(settings_.listen.port) + ": " + why;
  }
  startAuditFlush();
  QString shown = address->protocol() == QAbstractSocket::IPv6Protocol
                      ? "[" + address->toString() + "]"
                      : address->toString();
  note_(std::string("remote API listening on ") + (tls ? "https://" : "http://") +
        shown.toStdString() + ":" + std::to_string(port()) + " (" +
        std::to_string(settings_.administrators.size()) + " administrators)");
  return "";
}

std::string RemoteApi::reloadAdministrators() {
  if (options_.off) return "the remote API is off (--api-off): no administrators to re-read";
  const std::string before = std::to_string(settings_.administrators.size());
  std::vector<std::string> warnings;
  try {
    ApiSettings fresh =
        readAdministrators(root_, host_.plugin().description().privileges, &warnings);
    for (const std::string& warning : warnings) note_("warning: " + warning);
    if (!listening()) {
      if (fresh.administrators.empty()) return "administrators.ini still names no administrator";
      std::string problem = start(options_);
      return problem.empty() ? "administrators.ini read"
                             : "the remote API cannot start: " + problem;
    }
    loggedInSerial_ = 0;  // its administrator is of the list replaced here
    settings_.administrators = std::move(fresh.administrators);
  } catch (const std::exception& error) {
    return std::string(error.what()) + "; the " + before + " administrators before stay";
  }
  return "administrators.ini re-read: " + std::to_string(settings_.administrators.size()) +
         " administrators";
}

void RemoteApi::writeAudit(const QJsonObject& entry) {
  countRequest(entry);
  if (std::string problem = audit_.write(entry); !problem.empty()) note_("audit: " + problem);
  if (auditFlush_ && audit_.countingRefusals() && !auditFlush_->isActive()) auditFlush_->start();
}

void RemoteApi::refusedBeforeReading(int status, const QString& message, QByteArrayView headBytes,
                                     const QString& peer) {
  const QByteArray head = headBytes.toByteArray();
  const QByteArray requestLine = head.left(head.indexOf('\n')).trimmed();
  const QList<QByteArray> words = requestLine.split(' ');
  QJsonObject entry{
      {"peer", peer}, {"status", status}, {"outcome", "refused"}, {"message", message}};
  const Administrator* admin = nullptr;
  if (auto token = bearerToken(headerValue(head, "Authorization"))) {
    admin = findByToken(settings_.administrators, *token);
  }
  entry.insert("admin", admin ? QJsonValue(QString::fromStdString(admin->name)) : QJsonValue());
  if (words.size() >= 2) {
    entry.insert("method", QString::fromLatin1(words[0]));
    entry.insert("path", QString::fromLatin1(words[1]));
  }
  writeAudit(entry);
}

std::optional<RemoteApi::Reply> RemoteApi::login(Call& call, QByteArrayView method,
                                                 QByteArrayView path, QByteArrayView authorization,
                                                 const QString& peer) {
  call.entry = QJsonObject{{"peer", peer},
                           {"method", QString::fromLatin1(method.toByteArray())},
                           {"path", QString::fromUtf8(path.toByteArray())}};
  const std::optional<QByteArray> token = bearerToken(authorization);
  call.admin = token ? findByToken(settings_.administrators, *token) : nullptr;
  call.entry.insert(
      "admin", call.admin ? QJsonValue(QString::fromStdString(call.admin->name)) : QJsonValue());
  if (call.admin) return std::nullopt;
  return refuse(call, 401,
                token ? "the token is not an administrator's"
                      : "no token: send Authorization: Bearer <token>");
}

RemoteApi::Answer RemoteApi::route(Call& call, const ApiRequest& request) const {
  // One row per kind of request (api_request.h reads the kinds from method and path): how the
  // audit names it and what answers it. The plug-in's operations go by their own names.
  struct Endpoint {
    ApiRequest::Kind kind;
    const char* name;
    bool perProfile;
    Answer answer;
  };
  static const Endpoint kEndpoints[] = {
      {ApiRequest::Kind::kProfiles, "profiles", false, &RemoteApi::answerProfiles},
      {ApiRequest::Kind::kState, "state", true, &RemoteApi::answerState},
      {ApiRequest::Kind::kOperation, nullptr, true, &RemoteApi::answerOperation},
  };
  if (isConsoleRead(request.kind)) {
    call.entry.insert("operation", consoleReadName(request.kind));
    if (isProfileRead(request.kind)) call.entry.insert("profile", request.profile);
    return &RemoteApi::answerConsole;
  }
  for (const Endpoint& endpoint : kEndpoints) {
    if (endpoint.kind != request.kind) continue;
    if (endpoint.perProfile) call.entry.insert("profile", request.profile);
    if (endpoint.name != nullptr) {
      call.entry.insert("operation", endpoint.name);
    } else {
      call.entry.insert("operation", request.operation->name);
      if (request.data) addTarget(call.entry, auditTarget(*request.operation, *request.data));
    }
    return endpoint.answer;
  }
  throw std::logic_error("a kind of API request without an endpoint");
}

std::optional<RemoteApi::Reply> RemoteApi::access(Call& call, const ApiRequest& request) {
  if (request.kind == ApiRequest::Kind::kProfiles) return std::nullopt;
  const Administrator& admin = *call.admin;
  if (isConsoleRead(request.kind)) {
    std::optional<Reply> refusal = consoleRefusal(admin, request);
    if (!refusal) return std::nullopt;
    return refuse(call, refusal->status, refusal->body.value("error")["message"].toString());
  }
  if (const ApiOperation* operation = request.operation;
      operation != nullptr && !operation->privilege.isEmpty() &&
      admin.privileges.count(operation->privilege.toStdString()) == 0) {
    return refuse(
        call, 403,
        QString("administrator %1 lacks the privilege \"%2\" that %3 needs")
            .arg(QString::fromStdString(admin.name), operation->privilege, operation->name));
  }
  if (std::optional<Reply> refusal = profileRefusal(admin, request.profile)) {
    return refuse(call, refusal->status, refusal->body.value("error")["message"].toString());
  }
  return std::nullopt;
}

RemoteApi::Reply RemoteApi::audited(Call& call, const char* outcome, Reply reply) {
  call.entry.insert("status", reply.status);
  call.entry.insert("outcome", outcome);
  writeAudit(call.entry);
  return reply;
}

RemoteApi::Reply RemoteApi::refuse(Call& call, int status, const QString& message) {
  call.entry.insert("message", message);
  return audited(call, "refused", Reply{status, errorBody(status, message)});
}

std::optional<RemoteApi::Reply> RemoteApi::checkHead(QByteArrayView method, QByteArrayView path,
                                                     QByteArrayView authorization,
                                                     const QString& peer, uint64_t serial) {
  Call call;
  loggedInSerial_ = 0;
  if (std::optional<Reply> refusal = login(call, method, path, authorization, peer)) {
    return refusal;
  }
  loggedInSerial_ = serial;
  loggedInAdmin_ = call.admin;
  loggedInEntry_ = call.entry;
  auto parsed = parseApiRoute(host_.plugin().description(), method, path);
  if (auto* refusal = std::get_if<ApiRefusal>(&parsed)) {
    return refuse(call, refusal->status, refusal->message);
  }
  const ApiRequest& request = std::get<ApiRequest>(parsed);
  route(call, request);
  return access(call, request);
}

std::optional<RemoteApi::Reply> RemoteApi::profileRefusal(const Administrator& admin,
                                                          int32_t profile) const {
  auto refusal = [](int status, const QString& message) {
    return Reply{status, errorBody(status, message)};
  };
  if (!admin.mayTouch(profile)) {
    return refusal(403, QString("administrator %1 may not touch profile %2")
                            .arg(QString::fromStdString(admin.name))
                            .arg(profile));
  }
  auto found = host_.profiles().find(profile);
  if (found == host_.profiles().end()) {
    return refusal(404, QString("there is no profile %1").arg(profile));
  }
  if (!found->second.serverRunning || !found->second.loaded) {
    return refusal(409, QString("profile %1 is not loaded: its server is not running or cannot "
                                "be read")
                            .arg(profile));
  }
  return std::nullopt;
}

QString RemoteApi::notDoneReason(const ApiOperation& operation, const ApiRequest& request,
                                 const QStringList& reports) {
  if (!reports.isEmpty()) return "the plug-in reported: " + reports.join("; ");
  const std::string name = operation.name.toStdString();
  if (name == "GetMapsRem") return "the plug-in could not read the server's maps";
  if (name == "SetMapsRem" || name == "SkipMapRem" || name == "ScoreMapRem" ||
      name == "PlayMapRem") {
    try {
      const int state = host_.serverState(request.profile).value("state").toInt();
      if (state != 2 && state != 3) {
        return QString("no game is running on the server (game state %1: %2)")
            .arg(state)
            .arg(QString::fromStdString(formats::gameStateName(state)));
      }
    } catch (const PluginCallError& error) {
      return "the server cannot be read: " + error.description();
    }
    if (name == "PlayMapRem") return "the position is outside the server's rotation";
  }
  return "the plug-in did not make the change and reported nothing";
}

QJsonObject RemoteApi::profileList(const Administrator& admin) const {
  QJsonArray list;
  for (const auto& [index, profile] : host_.profiles()) {
    if (!admin.mayTouch(index)) continue;
    const char* state = "not started";
    if (profile.loaded) {
      state = "loaded";
    } else if (profile.serverRunning) {
      state = "not loaded";
    } else if (profile.serverPid) {
      state = "stopped";
    }
    QJsonObject entry{{"index", index},
                      {"folder", fromWindows1252(profile.config.profileFolder)},
                      {"serverType", fromWindows1252(profile.config.serverType)},
                      {"state", state}};
    if (profile.serverPid) entry.insert("serverPid", *profile.serverPid);
    list.append(entry);
  }
  return QJsonObject{{"profiles", list}};
}

RemoteApi::Reply RemoteApi::handle(QByteArrayView method, QByteArrayView path,
                                   QByteArrayView authorization, QByteArrayView body,
                                   const QString& peer, QByteArrayView query,
                                   QByteArrayView ifNoneMatch, uint64_t serial) {
  Call call;
  call.query = query;
  call.ifNoneMatch = ifNoneMatch;
  call.serial = serial;
  // The head of this very request passed the login; administrators.ini read since then
  // forgets it (loggedInSerial_ is reset).
  if (serial != 0 && serial == loggedInSerial_) {
    call.admin = loggedInAdmin_;
    call.entry = loggedInEntry_;
  } else if (std::optional<Reply> refusal = login(call, method, path, authorization, peer)) {
    return *refusal;
  }
  loggedInSerial_ = 0;
  auto parsed = parseApiRequest(host_.plugin().description(), method, path, body);
  if (auto* refusal = std::get_if<ApiRefusal>(&parsed)) {
    if (refusal->operation != nullptr && refusal->data) {
      call.entry.insert("operation", refusal->operation->name);
      addTarget(call.entry, auditTarget(*refusal->operation, *refusal->data));
    }
    return refuse(call, refusal->status, refusal->message);
  }
  const ApiRequest& request = std::get<ApiRequest>(parsed);
  const Answer answer = route(call, request);
  if (std::optional<Reply> refusal = access(call, request)) return *refusal;
  return (this->*answer)(call, request);
}

RemoteApi::Reply RemoteApi::answerProfiles(Call& call, const ApiRequest& /*request*/) {
  return audited(call, "accepted", Reply{200, profileList(*call.admin)});
}

RemoteApi::Reply RemoteApi::answerState(Call& call, const ApiRequest& request) {
  try {
    const QJsonObject state = host_.serverState(request.profile);
    return audited(call, "accepted",
                   Reply{200, QJsonObject{{"profile", request.profile}, {"state", state}}});
  } catch (const PluginCallError& error) {
    call.entry.insert("message", error.description());
    return audited(call, "failed",
                   Reply{500, errorBody(500, "the server cannot be read: " + error.description())});
  }
}

QJsonValue RemoteApi::callPlugin(const QJsonObject& call, QStringList& reports) {
  // What the plug-in reports while the call runs is the answer's reason when it does not make
  // the change. A request run inside this call's waits installs its own watch, which passes
  // what it hears on to this one: every box shown during this call is heard here.
  HostApp::BoxWatch outer;
  outer = host_.watchBoxes([&reports, &outer](const QString& title, const QString& text) {
    reports << title + " " + QString(text).replace("\r\n", "\n");
    if (outer) outer(title, text);
  });
  struct Restore {
    HostApp& host;
    HostApp::BoxWatch& outer;
    ~Restore() { host.watchBoxes(std::move(outer)); }
  } restore{host_, outer};
  return host_.plugin().call(call);
}

RemoteApi::Reply RemoteApi::answerOperation(Call& call, const ApiRequest& request) {
  const ApiOperation& operation = *request.operation;
  QJsonObject pluginCall{{"op", operation.name},
                         {"Index", request.profile},
                         {"PDAT", host_.pdatOf(request.profile, call.admin->name)}};
  if (request.data) pluginCall.insert("Data", *request.data);
  forgetStatus(request.profile);
  QElapsedTimer clock;
  clock.start();
  // The plug-in's own time, so that the audit shows what the API adds to it.
  auto pluginMs = [&clock] { return std::round(clock.nsecsElapsed() / 1000.0) / 1000.0; };
  QStringList reports;
  QJsonValue result;
  try {
    result = callPlugin(pluginCall, reports);
  } catch (const PluginCallError& error) {
    call.entry.insert("pluginMs", pluginMs());
    return pluginFailure(call, request, error, reports);
  }
  call.entry.insert("pluginMs", pluginMs());
  putResult(call.entry, result);
  QJsonObject answer{
      {"operation", operation.name}, {"profile", request.profile}, {"result", result}};
  if (!reports.isEmpty()) {
    answer.insert("reports", QJsonArray::fromStringList(reports));
    call.entry.insert("reports", QJsonArray::fromStringList(reports));
  }
  if (changeMade(operation, result)) {
    if (result.isDouble()) answer.insert("done", true);
    return audited(call, "accepted", Reply{200, answer});
  }
  const QString why = notDoneReason(operation, request, reports);
  call.entry.insert("refusedBy", "plug-in");
  call.entry.insert("message", why);
  answer.insert("done", false);
  answer.insert("message", why);
  return audited(call, "refused", Reply{200, answer});
}

RemoteApi::Reply RemoteApi::pluginFailure(Call& call, const ApiRequest& request,
                                          const PluginCallError& error,
                                          const QStringList& reports) {
  // 438: the plug-in does not have the operation in this version.
  const int status = error.number() == 438 ? 501 : 500;
  call.entry.insert("message", error.description());
  call.entry.insert("pluginError", error.number());
  QJsonObject inner = errorBody(status, error.description()).value("error").toObject();
  inner.insert("number", error.number());
  if (!reports.isEmpty()) {
    call.entry.insert("reports", QJsonArray::fromStringList(reports));
    inner.insert("reports", QJsonArray::fromStringList(reports));
  }
  return audited(call, "failed",
                 Reply{status, QJsonObject{{"operation", request.operation->name},
                                           {"profile", request.profile},
                                           {"error", inner}}});
}

}  // namespace rotaryn::host::api
