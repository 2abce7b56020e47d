#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QJsonObject>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <optional>

namespace rotaryn::admin {

// Exit codes of rotaryn-admin, one per kind of outcome.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;       // the host or the plug-in could not do it
inline constexpr int kExitUsage = 2;        // the command line is wrong
inline constexpr int kExitRefused = 3;      // the host refused: token, privilege, profile, data
inline constexpr int kExitUnreachable = 4;  // no answer from the host (connection, TLS, timeout)

// One answer of the host's API.
struct ApiAnswer {
  enum class Kind { kAnswered, kRefused, kFailed, kUnreachable };
  Kind kind = Kind::kAnswered;
  int status = 0;
  QJsonObject body;
  QString problem;  // for kRefused, kFailed and kUnreachable: what to tell the user

  int exitCode() const;
};

// Speaks to one host: its base URL ("http://127.0.0.1:8730") and an administrator's token.
// Needs a QCoreApplication. Calls are synchronous.
class ApiClient {
 public:
  ApiClient(QUrl base, QByteArray token, int timeoutMs = 60000);
  // Certificates (PEM) to trust beyond the system's, for a host with its own certificate.
  bool addCaCertificates(const QString& path);

  ApiAnswer profiles();
  // GET /api/v1/profiles/<profile>/state: the server's game state, map playing and next map.
  ApiAnswer state(int profile);
  // GET /api/v1/profiles/<profile>/history, from the date given (yyyy-mm-dd) to the host's
  // today; none: the host's today only.
  ApiAnswer history(int profile, const std::optional<QString>& since);
  // GET /api/v1/profiles/<profile>/status: the profile, its server and the game it runs.
  ApiAnswer status(int profile);
  // POST /api/v1/profiles/<profile>/<operation> with {"data": data} (no body without data).
  ApiAnswer call(int profile, const QString& operation,
                 const std::optional<QJsonValue>& data = std::nullopt);
  // The same with a body read from a device of known size as it is sent (a large upload).
  ApiAnswer call(int profile, const QString& operation, QIODevice& body);

 private:
  ApiAnswer send(const QByteArray& method, const QString& path, const QByteArray& body,
                 QIODevice* bodyDevice = nullptr);

  QUrl base_;
  QByteArray token_;
  int timeoutMs_;
  QList<QSslCertificate> extraCertificates_;
};

}  // namespace rotaryn::admin
