#include "host/api/remote_api.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cmath>

#include "host/host_app.h"
#include "host/host_text.h"

namespace rotaryn::host::api {
namespace {

// How long a refused connection's client may go on sending before it is cut.
constexpr int kDrainMs = 10000;

QByteArray methodName(QHttpServerRequest::Method method) {
  switch (method) {
    case QHttpServerRequest::Method::Get:
      return "GET";
    case QHttpServerRequest::Method::Post:
      return "POST";
    case QHttpServerRequest::Method::Put:
      return "PUT";
    case QHttpServerRequest::Method::Delete:
      return "DELETE";
    case QHttpServerRequest::Method::Head:
      return "HEAD";
    case QHttpServerRequest::Method::Options:
      return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
      return "PATCH";
    default:
      return "OTHER";
  }
}

QByteArray reasonPhrase(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 411:
      return "Length Required";
    case 413:
      return "Payload Too Large";
    case 431:
      return "Request Header Fields Too Large";
    default:
      return "Error";
  }
}

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

std::optional<QHostAddress> addressOf(const std::string& host) {
  if (host == "localhost") return QHostAddress(QHostAddress::LocalHost);
  if (host == "*" || host == "any") return QHostAddress(QHostAddress::Any);
  QHostAddress address;
  if (!address.setAddress(QString::fromStdString(host))) return std::nullopt;
  return address;
}

}  // namespace

// Accepts connections and watches each one's bytes before the HTTP server reads them, so that a
// body above the limit is refused from its request head and never held in memory.
class RemoteApi::Listener : public QTcpServer {
 public:
  Listener(RemoteApi& api, std::optional<QSslConfiguration> tls)
      : api_(api), tls_(std::move(tls)) {}

 protected:
  void incomingConnection(qintptr descriptor) override {
    QTcpSocket* socket = nullptr;
    if (tls_) {
      auto* secure = new QSslSocket(this);
      secure->setSslConfiguration(*tls_);
      socket = secure;
    } else {
      socket = new QTcpSocket(this);
    }
    if (!socket->setSocketDescriptor(descriptor)) {
      delete socket;
      return;
    }
    if (auto* secure = qobject_cast<QSslSocket*>(socket)) secure->startServerEncryption();
    guard(socket);
    addPendingConnection(socket);
  }

 private:
  void guard(QTcpSocket* socket) {
    auto stream = std::make_shared<RequestStreamGuard>(api_.settings().bodyLimit);
    // Connected before the HTTP server's own handler, so it sees every byte first.
    connect(socket, &QIODevice::readyRead, socket, [this, socket, stream] {
      if (socket->property("rotarynRefused").toBool()) {
        socket->readAll();
        return;
      }
      const RequestStreamGuard::Verdict verdict =
          stream->feed(socket->peek(socket->bytesAvailable()));
      if (verdict == RequestStreamGuard::Verdict::kPass) return;
      socket->readAll();
      socket->setProperty("rotarynRefused", true);
      refuse(socket, verdict, stream->head(), stream->declaredLength());
    });
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
  }

  void refuse(QTcpSocket* socket, RequestStreamGuard::Verdict verdict, const QByteArray& head,
              uint64_t declared) {
    int status = 400;
    QString message;
    switch (verdict) {
      case RequestStreamGuard::Verdict::kTooLarge:
        status = 413;
        message = QString("the body of %1 bytes is above the limit of %2 bytes")
                      .arg(declared)
                      .arg(api_.settings().bodyLimit);
        break;
      case RequestStreamGuard::Verdict::kLengthRequired:
        status = 411;
        message = "a body is sent with Content-Length, not chunked";
        break;
      case RequestStreamGuard::Verdict::kHeadTooLarge:
        status = 431;
        message = "the request head is above 64 KiB";
        break;
      default:
        message = "Content-Length is not a number";
        break;
    }
    api_.refusedBeforeReading(status, message, head, socket->peerAddress().toString());
    const QByteArray body =
        QJsonDocument(errorBody(status, message)).toJson(QJsonDocument::Compact);
    socket->write("HTTP/1.1 " + QByteArray::number(status) + " " + reasonPhrase(status) +
                  "\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    // The client may still be sending its body: read it away for a while rather than reset the
    // connection under the answer.
    QTimer::singleShot(kDrainMs, socket, [socket] { socket->abort(); });
  }

  RemoteApi& api_;
  std::optional<QSslConfiguration> tls_;
};

class RemoteApi::Front : public QAbstractHttpServer {
 public:
  explicit Front(RemoteApi& api) : api_(api) {}

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    const Reply reply = api_.handle(methodName(request.method()), request.url().path().toUtf8(),
                                    request.value("Authorization"), request.body(),
                                    request.remoteAddress().toString());
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(QJsonDocument(reply.body),
                    static_cast<QHttpServerResponder::StatusCode>(reply.status));
    return true;
  }
  void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

 private:
  RemoteApi& api_;
};

RemoteApi::RemoteApi(HostApp& host, std::string rootPosix, Note note)
    : host_(host), root_(std::move(rootPosix)), note_(std::move(note)), audit_(root_) {}

RemoteApi::~RemoteApi() = default;

bool RemoteApi::listening() const {
  return listener_ != nullptr && listener_->isListening();
}

uint16_t RemoteApi::port() const {
  return listening() ? listener_->serverPort() : 0;
}

std::string RemoteApi::start(const ApiOptions& options) {
  options_ = options;
  if (options.off) {
    note_("remote API off (--api-off)");
    return "";
  }
  try {
    std::vector<std::string> warnings;
    settings_ = readAdministrators(root_, &warnings);
    for (const std::string& warning : warnings) note_("warning: " + warning);
    if (options.listen) settings_.listen = parseListenAddress(*options.listen);
  } catch (const std::exception& error) {
    return error.what();
  }
  if (settings_.administrators.empty() && !options.listen) {
    note_(std::string("remote API off: ") + kAdministratorsFileName +
          " names no administrator (rotaryn-host --add-admin NAME --privileges ...)");
    return "";
  }
  std::optional<QHostAddress> address = addressOf(settings_.listen.host);
  if (!address) return "the remote API cannot listen on \"" + settings_.listen.host + "\"";

  std::optional<QSslConfiguration> tls;
  if (!settings_.certificatePath.empty()) {
    if (!QSslSocket::supportsSsl()) return "TLS is configured but this Qt has no TLS backend";
    const auto certificates =
        QSslCertificate::fromPath(QString::fromStdString(settings_.certificatePath), QSsl::Pem);
    if (certificates.isEmpty()) {
      return "cannot read the TLS certificate " + settings_.certificatePath;
    }
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
  }

  front_ = std::make_unique<Front>(*this);
  listener_ = new Listener(*this, tls);
  listener_->setParent(front_.get());
  if (!listener_->listen(*address, settings_.listen.port)) {
    std::string why = listener_->errorString().toStdString();
    front_.reset();
    listener_ = nullptr;
    return "the remote API cannot listen on " + settings_.listen.host + ":" +
           std::to_string(settings_.listen.port) + ": " + why;
  }
  front_->bind(listener_);
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
    ApiSettings fresh = readAdministrators(root_, &warnings);
    for (const std::string& warning : warnings) note_("warning: " + warning);
    if (!listening()) {
      if (fresh.administrators.empty()) return "administrators.ini still names no administrator";
      std::string problem = start(options_);
      return problem.empty() ? "administrators.ini read"
                             : "the remote API cannot start: " + problem;
    }
    settings_.administrators = std::move(fresh.administrators);
  } catch (const std::exception& error) {
    return std::string(error.what()) + "; the " + before + " administrators before stay";
  }
  return "administrators.ini re-read: " + std::to_string(settings_.administrators.size()) +
         " administrators";
}

void RemoteApi::writeAudit(const QJsonObject& entry) {
  if (std::string problem = audit_.write(entry); !problem.empty()) note_("audit: " + problem);
}

void RemoteApi::refusedBeforeReading(int status, const QString& message, const QByteArray& head,
                                     const QString& peer) {
  const QByteArray requestLine = head.left(head.indexOf("\r\n"));
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
                                   const QString& peer) {
  QJsonObject entry{{"peer", peer},
                    {"method", QString::fromLatin1(method.toByteArray())},
                    {"path", QString::fromUtf8(path.toByteArray())}};
  const Administrator* admin = nullptr;
  auto token = bearerToken(authorization);
  if (token) admin = findByToken(settings_.administrators, *token);
  entry.insert("admin", admin ? QJsonValue(QString::fromStdString(admin->name)) : QJsonValue());
  auto refused = [&](int status, const QString& message) {
    entry.insert("status", status);
    entry.insert("outcome", "refused");
    entry.insert("message", message);
    writeAudit(entry);
    return Reply{status, errorBody(status, message)};
  };
  if (!admin) {
    return refused(401, token ? "the token is not an administrator's"
                              : "no token: send Authorization: Bearer <token>");
  }

  auto parsed = parseApiRequest(method, path, body);
  if (auto* refusal = std::get_if<ApiRefusal>(&parsed)) {
    return refused(refusal->status, refusal->message);
  }
  const ApiRequest& request = std::get<ApiRequest>(parsed);
  if (request.kind == ApiRequest::Kind::kProfiles) {
    entry.insert("operation", "profiles");
    entry.insert("status", 200);
    entry.insert("outcome", "accepted");
    writeAudit(entry);
    return Reply{200, profileList(*admin)};
  }

  const ApiOperation& operation = *request.operation;
  const QString name = QString::fromStdString(admin->name);
  entry.insert("operation", operation.name);
  entry.insert("profile", request.profile);
  if (operation.privilege && admin->privileges.count(operation.privilege) == 0) {
    return refused(403, QString("administrator %1 lacks the privilege \"%2\" that %3 needs")
                            .arg(name, operation.privilege, operation.name));
  }
  if (!admin->mayTouch(request.profile)) {
    return refused(
        403, QString("administrator %1 may not touch profile %2").arg(name).arg(request.profile));
  }
  auto found = host_.profiles().find(request.profile);
  if (found == host_.profiles().end()) {
    return refused(404, QString("there is no profile %1").arg(request.profile));
  }
  if (!found->second.serverRunning || !found->second.loaded) {
    return refused(409, QString("profile %1 is not loaded: its server is not running or cannot "
                                "be read")
                            .arg(request.profile));
  }

  QJsonObject call{{"op", operation.name},
                   {"Index", request.profile},
                   {"PDAT", host_.pdatOf(request.profile, admin->name)}};
  if (request.data) call.insert("Data", *request.data);
  QElapsedTimer clock;
  clock.start();
  // The plug-in's own time, so that the audit shows what the API adds to it.
  auto pluginMs = [&clock] { return std::round(clock.nsecsElapsed() / 1000.0) / 1000.0; };
  try {
    const QJsonValue result = host_.plugin().call(call);
    entry.insert("pluginMs", pluginMs());
    entry.insert("status", 200);
    entry.insert("outcome", "accepted");
    putResult(entry, result);
    writeAudit(entry);
    return Reply{
        200, QJsonObject{
                 {"operation", operation.name}, {"profile", request.profile}, {"result", result}}};
  } catch (const PluginCallError& error) {
    // 438: the plug-in does not have the operation in this version.
    const int status = error.number() == 438 ? 501 : 500;
    entry.insert("pluginMs", pluginMs());
    entry.insert("status", status);
    entry.insert("outcome", "failed");
    entry.insert("message", error.description());
    entry.insert("pluginError", error.number());
    writeAudit(entry);
    QJsonObject failure = errorBody(status, error.description());
    QJsonObject inner = failure.value("error").toObject();
    inner.insert("number", error.number());
    return Reply{
        status,
        QJsonObject{{"operation", operation.name}, {"profile", request.profile}, {"error", inner}}};
  }
}

}  // namespace rotaryn::host::api
