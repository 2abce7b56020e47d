#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/api/administrators.h"
#include "host/api/api_request.h"
#include "host/api/audit_log.h"
#include "host/api/http_server.h"

namespace rotaryn::host {
class HostApp;
class PluginCallError;
}  // namespace rotaryn::host

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
    QByteArray json;     // the body already written, when it is made once for many answers
    QByteArray etag;     // the body's version, when it has one
    bool later = false;  // held: answered by checkWaiters
    QByteArray bytes() const;
    HttpAnswer answer() const;
  };
  // One request: authorization, the privilege and profile checks, the plug-in's call and the
  // audit line. authorization is the Authorization header's value; query what follows the
  // path's "?" (the console's reads take ?day=).
  Reply handle(QByteArrayView method, QByteArrayView path, QByteArrayView authorization,
               QByteArrayView body, const QString& peer, QByteArrayView query = {},
               QByteArrayView ifNoneMatch = {}, uint64_t serial = 0);
  // The checks a request's head allows before its body is read: the token, the route, the
  // privilege and the profile. A refusal is audited and answered; none lets the body be read.
  std::optional<Reply> checkHead(QByteArrayView method, QByteArrayView path,
                                 QByteArrayView authorization, const QString& peer,
                                 uint64_t serial = 0);
  // A request or connection the server refused itself (framing, limits, time): audited. head
  // holds what came of the request's head, maybe nothing.
  void refusedBeforeReading(int status, const QString& message, QByteArrayView head,
                            const QString& peer);

  const ApiSettings& settings() const { return settings_; }
  AuditLog& audit() { return audit_; }

  // GET /metrics (remote_api_observability.cpp): whether a path is it, and its answer (token
  // and privilege checked, audited).
  static bool observabilityPath(QByteArrayView path);
  HttpAnswer serveObservability(const http::RequestHead& head, const QString& peer);
  // The metrics' own loopback listener (MetricsListen), when administrators.ini names one.
  uint16_t metricsPort() const;

 private:
  // A request on its way through the steps: its audit line so far and the administrator its
  // token names (null before the login step or when it names none).
  struct Call {
    QJsonObject entry;
    const Administrator* admin = nullptr;
    QByteArrayView query;
    QByteArrayView ifNoneMatch;  // the version of the answer the client holds
    uint64_t serial = 0;         // the request's, from the HTTP server (0: none)
  };
  // What answers a kind of request once it passed the login and the access checks.
  using Answer = Reply (RemoteApi::*)(Call& call, const ApiRequest& request);

  // Login: starts the audit line and finds the administrator; the 401 when there is none.
  std::optional<Reply> login(Call& call, QByteArrayView method, QByteArrayView path,
                             QByteArrayView authorization, const QString& peer);
  // Routing: the answer for the request's kind, naming it in the audit line.
  Answer route(Call& call, const ApiRequest& request) const;
  // Access: the privilege the operation needs, then the profile; a refusal when either fails.
  std::optional<Reply> access(Call& call, const ApiRequest& request);

  Reply answerProfiles(Call& call, const ApiRequest& request);
  Reply answerState(Call& call, const ApiRequest& request);
  Reply answerOperation(Call& call, const ApiRequest& request);
  // The console's reads (host/api/console_reads.cpp): their refusal by route alone (the host
  // privilege, the profile), and their answer.
  std::optional<Reply> consoleRefusal(const Administrator& admin, const ApiRequest& request) const;
  Reply answerConsole(Call& call, const ApiRequest& request);
  QJsonObject whoami(const Administrator& admin) const;
  // A profile's status, the same reading again while it stands; every visible profile's.
  QJsonObject profileStatus(int32_t profile);
  QJsonObject readStatus(int32_t profile);
  struct CachedStatus;
  const CachedStatus& everyStatus(const Administrator& admin);
  // A version no other answer of this host run has had.
  QByteArray nextEtag();
  QJsonValue profileFiles(const Administrator& admin, int32_t profile, QJsonObject call);
  // The plug-in's call; what it reports while it runs (the boxes it shows) goes to reports.
  QJsonValue callPlugin(const QJsonObject& call, QStringList& reports);
  Reply pluginFailure(Call& call, const ApiRequest& request, const PluginCallError& error,
                      const QStringList& reports);

  QJsonObject profileList(const Administrator& admin) const;
  // 403, 404 or 409 when the administrator may not reach the profile's server; none when it may.
  std::optional<Reply> profileRefusal(const Administrator& admin, int32_t profile) const;
  // Why the plug-in answered that it made no change: its reports, else what the server shows.
  QString notDoneReason(const ApiOperation& operation, const ApiRequest& request,
                        const QStringList& reports);

  // Audit: the line is in the file before the answer goes out.
  void writeAudit(const QJsonObject& entry);
  // Audits the request with its status and outcome and passes its answer on.
  Reply audited(Call& call, const char* outcome, Reply reply);
  // The API's metrics of one audited request.
  void countRequest(const QJsonObject& entry);
  std::string startMetricsListener();
  HttpAnswer metricsAnswer();
  // GET /api/v1/profiles/P/history?from=&to= (a console read, remote_api_observability.cpp).
  Reply answerHistory(Call& call, const ApiRequest& request);
  // Audits the request as refused and makes its error answer.
  Reply refuse(Call& call, int status, const QString& message);

  // The steps of start: the administrators and the address, the TLS files, the handlers.
  std::string readSettings(const ApiOptions& options);
  std::string readTls(std::optional<QSslConfiguration>& tls) const;
  HttpServer::Handlers handlers();
  void startAuditFlush();

  HostApp& host_;
  std::string root_;
  Note note_;
  ApiOptions options_;
  ApiSettings settings_;
  AuditLog audit_;
  std::unique_ptr<HttpServer> server_;
  std::unique_ptr<HttpServer> metricsServer_;
  std::unique_ptr<QTimer> auditFlush_;
  // A status reading stands while nothing was reported or sent for its profile, for at most
  // kStatusKeptMs: the monitor reports each change of what the status shows (game state, map,
  // rotation written, score limits); this bounds what another program writes unseen.
  static constexpr int64_t kStatusKeptMs = 60000;
  struct CachedStatus {
    int64_t readMs = 0;
    int64_t generation = 0;
    uint64_t events = 0;
    QJsonObject status;
    QByteArray json;
    std::vector<uint64_t> hostState;  // of the list: each profile's index, load, run, pid, events
    QByteArray etag;                  // of the list: its version
  };
  static int64_t steadyMs();
  // Forgets the profile's reading, and every list that holds it, before an operation on it.
  void forgetStatus(int32_t profile) {
    statusCache_.erase(profile);
    ++statusGeneration_;
  }
  std::map<int32_t, CachedStatus> statusCache_;
  std::map<std::string, CachedStatus> everyStatusCache_;
  int64_t statusGeneration_ = 0;
  uint64_t etags_ = 0;
  // Status-list requests held until the list changes or their time is up: an open console's
  // request waits at the host instead of asking again every 2 s.
  struct Waiter {
    uint64_t serial;
    std::string admin;
    QByteArray etag;  // of the list the client holds
    int64_t untilMs;
    QJsonObject entry;  // the audit line so far
  };
  // The list's answer: itself with its version, or 304 to a client that holds it.
  static Reply listReply(const CachedStatus& list, bool unchanged);
  Reply holdStatus(Call& call, int seconds);
  // Answers the held requests whose list changed or whose time is up.
  void checkWaiters();
  static constexpr int kWaiterCheckMs = 2000;
  std::list<Waiter> waiters_;
  std::unique_ptr<QTimer> waiterCheck_;
  // The login of the head checked last (its request's serial and its audit line so far): the
  // request that follows it needs no second token check.
  uint64_t loggedInSerial_ = 0;
  const Administrator* loggedInAdmin_ = nullptr;
  QJsonObject loggedInEntry_;
  std::vector<uint64_t> hostState_;  // everyStatus' scratch: no allocation per request
};

}  // namespace rotaryn::host::api
