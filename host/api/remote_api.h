#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/api/administrators.h"
#include "host/api/audit_log.h"

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
  // audit line. authorization is the Authorization header's value.
  Reply handle(QByteArrayView method, QByteArrayView path, QByteArrayView authorization,
               QByteArrayView body, const QString& peer);
  // A request refused from its head before its body was read (413, 411, 431, 400): audited.
  void refusedBeforeReading(int status, const QString& message, const QByteArray& head,
                            const QString& peer);

  const ApiSettings& settings() const { return settings_; }
  AuditLog& audit() { return audit_; }

 private:
  class Front;
  class Listener;

  QJsonObject profileList(const Administrator& admin) const;
  void writeAudit(const QJsonObject& entry);

  HostApp& host_;
  std::string root_;
  Note note_;
  ApiOptions options_;
  ApiSettings settings_;
  AuditLog audit_;
  std::unique_ptr<Front> front_;
  Listener* listener_ = nullptr;  // owned by front_
};

}  // namespace rotaryn::host::api
