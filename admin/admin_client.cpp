#include "admin/admin_client.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>

namespace rotaryn::admin {

int ApiAnswer::exitCode() const {
  switch (kind) {
    case Kind::kAnswered:
      return kExitDone;
    case Kind::kRefused:
      return kExitRefused;
    case Kind::kFailed:
      return kExitFailed;
    case Kind::kUnreachable:
      return kExitUnreachable;
  }
  return kExitFailed;
}

ApiClient::ApiClient(QUrl base, QByteArray token, int timeoutMs)
    : base_(std::move(base)), token_(std::move(token)), timeoutMs_(timeoutMs) {}

bool ApiClient::addCaCertificates(const QString& path) {
  const auto certificates = QSslCertificate::fromPath(path, QSsl::Pem);
  extraCertificates_.append(certificates);
  return !certificates.isEmpty();
}

ApiAnswer ApiClient::profiles() {
  return send("GET", "/api/v1/profiles", {});
}

ApiAnswer ApiClient::history(int profile, const std::optional<QString>& since) {
  QString path = QString("/api/v1/profiles/%1/history").arg(profile);
  if (since) path += "?from=" + QString::fromLatin1(QUrl::toPercentEncoding(*since));
  return send("GET", path, {});
}

ApiAnswer ApiClient::state(int profile) {
  return send("GET", QString("/api/v1/profiles/%1/state").arg(profile), {});
}

ApiAnswer ApiClient::status(int profile) {
  return send("GET", QString("/api/v1/profiles/%1/status").arg(profile), {});
}

ApiAnswer ApiClient::call(int profile, const QString& operation,
                          const std::optional<QJsonValue>& data) {
  QByteArray body;
  if (data) body = QJsonDocument(QJsonObject{{"data", *data}}).toJson(QJsonDocument::Compact);
  return send("POST", QString("/api/v1/profiles/%1/%2").arg(profile).arg(operation), body);
}

ApiAnswer ApiClient::call(int profile, const QString& operation, QIODevice& body) {
  return send("POST", QString("/api/v1/profiles/%1/%2").arg(profile).arg(operation), {}, &body);
}

ApiAnswer ApiClient::send(const QByteArray& method, const QString& path, const QByteArray& body,
                          QIODevice* bodyDevice) {
  QNetworkAccessManager manager;
  QUrl url = base_;
  QString basePath = url.path();
  while (basePath.endsWith('/')) basePath.chop(1);
  // A query after the path ("...?from=...") stays a query.
  const qsizetype query = path.indexOf('?');
  url.setPath(basePath + path.left(query));
  if (query >= 0) url.setQuery(path.mid(query + 1));
  QNetworkRequest request(url);
  request.setRawHeader("Authorization", "Bearer " + token_);
  request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
  if (url.scheme() == "https" && !extraCertificates_.isEmpty()) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> authorities = tls.caCertificates();
    authorities.append(extraCertificates_);
    tls.setCaCertificates(authorities);
    request.setSslConfiguration(tls);
  }
  QNetworkReply* reply = nullptr;
  if (bodyDevice) {
    // The length up front: the host refuses a chunked body, and the device is read as it goes.
    request.setHeader(QNetworkRequest::ContentLengthHeader, bodyDevice->size());
    reply = manager.sendCustomRequest(request, method, bodyDevice);
  } else {
    reply = manager.sendCustomRequest(request, method, body);
  }
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  bool timedOut = false;
  QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  timeout.start(timeoutMs_);
  if (!reply->isFinished()) loop.exec();

  ApiAnswer answer;
  answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QByteArray text = reply->readAll();
  const QNetworkReply::NetworkError error = reply->error();
  const QString errorText = reply->errorString();
  reply->deleteLater();
  if (answer.status == 0) {
    answer.kind = ApiAnswer::Kind::kUnreachable;
    answer.problem =
        timedOut
            ? QString("no answer from %1 within %2 s").arg(base_.toString()).arg(timeoutMs_ / 1000)
            : QString("cannot reach %1: %2").arg(base_.toString(), errorText);
    return answer;
  }
  (void)error;
  QJsonParseError parseError{};
  answer.body = QJsonDocument::fromJson(text, &parseError).object();
  const QString message = answer.body.value("error").toObject().value("message").toString();
  if (answer.status >= 200 && answer.status < 300) {
    answer.kind = ApiAnswer::Kind::kAnswered;
  } else if (answer.status >= 500) {
    answer.kind = ApiAnswer::Kind::kFailed;
    answer.problem = QString("the host could not do it (%1): %2")
                         .arg(answer.status)
                         .arg(message.isEmpty() ? QString::fromUtf8(text) : message);
  } else {
    answer.kind = ApiAnswer::Kind::kRefused;
    answer.problem = QString("refused (%1): %2")
                         .arg(answer.status)
                         .arg(message.isEmpty() ? QString::fromUtf8(text) : message);
  }
  return answer;
}

}  // namespace rotaryn::admin
