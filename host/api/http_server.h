#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHash>
#include <QSslConfiguration>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>

#include "host/api/http_parser.h"

namespace rotaryn::host::api {

using HttpLimits = http::Limits;

struct HttpAnswer {
  int status = 200;
  QByteArray body;  // JSON, or a file of the web console
  QByteArray contentType = "application/json";
  // API answers are never kept: they hold a server's live state and an administrator's data.
  QByteArray cacheControl = "no-store";
  // The answer's version ("\"...\""): a request with If-None-Match naming it is answered 304.
  QByteArray etag;
  // No answer yet: the request is held until the handler gives it to answerLater with the
  // request's serial.
  bool later = false;
};

// A small HTTP/1.1 server for the API, over TCP or TLS. It reads one request at a time per
// connection: the head is framed and shown to `head` before a byte of the body is read, so a
// request can be refused (and the connection closed) on its head alone; the body is read up to
// the limit and the request given to `request`. The server's own refusals (framing, limits,
// time) are answered, closed and reported to `refused`.
class HttpServer : public QTcpServer {
 public:
  struct Handlers {
    std::function<std::optional<HttpAnswer>(const http::RequestHead&, const QString& peer)> head;
    std::function<HttpAnswer(const http::RequestHead&, QByteArrayView body, const QString& peer)>
        request;
    // rawHead: the bytes of the head as far as they came (may be empty).
    std::function<void(int status, const QString& reason, QByteArrayView rawHead,
                       const QString& peer)>
        refused;
  };

  HttpServer(const HttpLimits& limits, std::optional<QSslConfiguration> tls, Handlers handlers);
  ~HttpServer() override;

  // Connections open now; the total the descriptor limit leaves room for.
  int connectionCount() const { return static_cast<int>(connections_.size()); }
  int connectionLimit() const { return connectionLimit_; }
  // Answers a held request (RequestHead::serial); false when its connection is gone.
  bool answerLater(uint64_t serial, const HttpAnswer& answer);

 protected:
  void incomingConnection(qintptr descriptor) override;

 private:
  class Connection;
  friend class Connection;

  qint64 now() const { return clock_.elapsed(); }
  // Makes room for a new connection from the peer, closing the oldest idle one in the way;
  // empty when there is room, else why not.
  QString makeRoom(const QString& peer);
  void refuseConnection(qintptr descriptor, const QString& peer, const QString& reason);
  void remove(Connection* connection);
  void sweep();
  // Arms the sweep for the first deadline of any connection (none: no sweep).
  void scheduleSweep();

  HttpLimits limits_;
  std::optional<QSslConfiguration> tls_;
  Handlers handlers_;
  int connectionLimit_ = 0;
  QElapsedTimer clock_;
  QTimer sweeper_;
  qint64 sweepAt_ = 0;                  // when the armed sweep is due (the server's clock)
  std::list<Connection*> connections_;  // oldest first
  uint64_t requests_ = 0;               // heads read so far
  QHash<QString, int> perPeer_;
};

}  // namespace rotaryn::host::api
