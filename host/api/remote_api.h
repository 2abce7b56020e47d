#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/api/administrators.h"
#include "host/api/api_request.h"
#include "host/api/audit_log.h"
#include "host/api/http_server.h"

namespace rotaryn::host {
class HostApp;
}

namespace rotaryn::host::api {

// How the command line shapes the API of a window or headless run.
struct ApiOptions {
  std::optional<std::string> listen;  // --listen ADDR:PORT, over the file's Listen
  bool off = false;                   // --api-off
};

// The remote administration API of a live host: administrators and their privileges, each
// request forwarded to the plug-in on the host's event loop, an audit line for every request.
class RemoteApi {
 public:
  using Note = std::function<void(const std::string&)>;

  RemoteApi(HostApp& host, std::string rootPosix, Note note);
  ~RemoteApi();
  RemoteApi(const RemoteApi&) = delete;
  RemoteApi& operator=(const RemoteApi&) = delete;

  // Reads ROOT/administrators.ini and listens, unless the options turn the API off or there is
  // neither an administrator nor --listen. Returns an empty text, or why the API cannot serve
  // (a bad file, an address that cannot be listened on, TLS files that cannot be read).
  std::string start(const ApiOptions& options);
  bool listening() const;
  // SIGHUP: takes the administrators of ROOT/administrators.ini anew, and starts listening if
  // the API waited for its first administrator; the [API] settings wait for a restart. A file
  // that cannot be used leaves the administrators as they were. Answers what it did.
  std::string reloadAdministrators();
  uint16_t port() const;

  struct Reply {
    int status = 200;
    QJsonObject body;
  };
  // One request: authorization, the privilege and profile checks, the plug-in's call and the
  // audit line. authorization is the Authorization header's value; query what follows the
  // path's "?" (the console's reads take ?day=).
  Reply handle(QByteArrayView method, QByteArrayView path, QByteArrayView authorization,
               QByteArrayView body, const QString& peer, QByteArrayView query = {});
  // The checks a request's head allows before its body is read: the token, the route, the
  // privilege and the profile. A refusal is audited and answered; none lets the body be read.
  std::optional<Reply> checkHead(QByteArrayView method, QByteArrayView path,
                                 QByteArrayView authorization, const QString& peer);
  // A request or connection the server refused itself (framing, limits, time): audited. head
  // holds what came of the request's head, maybe nothing.
  void refusedBeforeReading(int status, const QString& message, QByteArrayView head,
                            const QString& peer);

  const ApiSettings& settings() const { return settings_; }
  AuditLog& audit() { return audit_; }

  // GET /metrics and GET /api/v1/profiles/P/history (remote_api_observability.cpp): whether a
  // path is one of them, and its answer (token, privilege and profile checked, audited).
  static bool observabilityPath(QByteArrayView path);
  HttpAnswer serveObservability(const http::RequestHead& head, const QString& peer);
  // The metrics' own loopback listener (MetricsListen), when administrators.ini names one.
  uint16_t metricsPort() const;

 private:
  QJsonObject profileList(const Administrator& admin) const;
  // 403, 404 or 409 when the administrator may not reach the profile's server; none when it may.
  std::optional<Reply> profileRefusal(const Administrator& admin, int32_t profile) const;
  // Why the plug-in answered that it made no change: its reports, else what the server shows.
  QString notDoneReason(const ApiOperation& operation, const ApiRequest& request,
                        const QStringList& reports);
  void writeAudit(const QJsonObject& entry);
  // The API's metrics of one audited request.
  void countRequest(const QJsonObject& entry);
  std::string startMetricsListener();
  HttpAnswer metricsAnswer();
  HttpAnswer historyAnswer(QJsonObject& entry, const Administrator& admin, int32_t profile,
                           std::string_view query);
  // The console's reads (host/api/console_reads.cpp). The refusal of one by its route alone
  // (privilege, profile), with the audit entry's operation and profile set; none when allowed.
  std::optional<Reply> consoleRefusal(const Administrator& admin, const ApiRequest& request,
                                      QJsonObject& entry) const;
  // Checks, answers and audits one console read.
  Reply consoleRead(const Administrator& admin, const ApiRequest& request, QByteArrayView query,
                    QJsonObject& entry);
  QJsonObject whoami(const Administrator& admin) const;
  QJsonObject profileStatus(int32_t profile);
  QJsonValue profileFiles(const Administrator& admin, int32_t profile, QJsonObject call);
  QJsonObject auditDay(const QString& day) const;
  // Starts a request's audit entry; the administrator its token names, or null.
  const Administrator* caller(QJsonObject& entry, QByteArrayView method, QByteArrayView path,
                              QByteArrayView authorization, const QString& peer) const;
  // Audits the request as refused and makes its error answer.
  Reply refuse(QJsonObject& entry, int status, const QString& message);

  HostApp& host_;
  std::string root_;
  Note note_;
  ApiOptions options_;
  ApiSettings settings_;
  AuditLog audit_;
  std::unique_ptr<HttpServer> server_;
  std::unique_ptr<HttpServer> metricsServer_;
  std::unique_ptr<QTimer> auditFlush_;
};

}  // namespace rotaryn::host::api
