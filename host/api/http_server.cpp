#include "host/api/http_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QSslSocket>
#include <QTcpSocket>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <string>

namespace rotaryn::host::api {
namespace {

// How long a closed-for-writing connection is read away, so the answer is not lost to a reset
// while the client still sends the body it was refused.
constexpr qint64 kLingerMs = 2000;
// A connection idle this long may be closed to make room for a new one.
constexpr qint64 kEvictIdleMs = 1000;
// While a body comes in, how often its rate is checked.
constexpr qint64 kSweepMs = 250;
// Descriptors the rest of the host keeps for itself (its servers, files, the plug-in).
constexpr int kReservedDescriptors = 64;
// Qt reads no more than this from the kernel before the server takes it.
constexpr qint64 kReadBuffer = 256 * 1024;

// On every answer: the web console runs only its own files, in no other site's frame, and
// nothing is taken for another type than the one it is sent as.
constexpr const char* kSecurityHeaders =
    "Content-Security-Policy: default-src 'self'; script-src 'self'; style-src 'self'; "
    "img-src 'self' data:; connect-src 'self'; object-src 'none'; base-uri 'none'; "
    "form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Frame-Options: DENY\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n";

QByteArray reasonPhrase(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 304:
      return "Not Modified";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 409:
      return "Conflict";
    case 413:
      return "Content Too Large";
    case 417:
      return "Expectation Failed";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Status";
  }
}

QByteArray errorJson(int status, const QString& message) {
  QString escaped;
  for (QChar c : message) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += c.unicode() < 0x20 ? QChar(' ') : c;
  }
  return "{\"error\":{\"status\":" + QByteArray::number(status) + ",\"message\":\"" +
         escaped.toUtf8() + "\"}}";
}

QByteArray answerBytes(const HttpAnswer& answer, bool close, bool withBody) {
  QByteArray bytes;
  bytes.reserve(512 + answer.body.size());
  bytes +=
      "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n";
  // A 304 has no content, and a length would have to be the one of the answer it stands for.
  if (answer.status != 304) {
    bytes += "Content-Type: " + answer.contentType +
             "\r\nContent-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
  }
  if (!answer.etag.isEmpty()) bytes += "ETag: " + answer.etag + "\r\n";
  bytes += "Cache-Control: " + answer.cacheControl + "\r\n" + kSecurityHeaders;
  if (close) bytes += "Connection: close\r\n";
  bytes += "\r\n";
  if (withBody && answer.status != 304) bytes += answer.body;
  return bytes;
}

int descriptorBudget() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1 << 20;
  const auto soft = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
  return std::max(1, soft - std::max(kReservedDescriptors, soft / 4));
}

QString peerOf(qintptr descriptor) {
  sockaddr_storage address{};
  socklen_t size = sizeof address;
  if (::getpeername(static_cast<int>(descriptor), reinterpret_cast<sockaddr*>(&address), &size) !=
      0) {
    return "unknown";
  }
  return QHostAddress(reinterpret_cast<const sockaddr*>(&address)).toString();
}

}  // namespace

class HttpServer::Connection {
 public:
  enum class State { kHead, kBody, kWaiting, kClosing };

  Connection(HttpServer& server, QTcpSocket* socket, QString peer)
      : server_(server), socket_(socket), peer_(std::move(peer)) {
    since_ = server_.now();
    socket_->setReadBufferSize(kReadBuffer);
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(socket_, &QIODevice::readyRead, socket_, [this, alive = alive_] {
      readAvailable();
      if (*alive) scheduleCheck();  // the request may have ended the connection
    });
    QObject::connect(socket_, &QIODevice::bytesWritten, socket_, [this] { written(); });
    QObject::connect(socket_, &QAbstractSocket::disconnected, socket_, [this] {
      if (handling_) {
        gone_ = true;  // removed once the call in progress returns
      } else {
        server_.remove(this);
      }
    });
  }
  ~Connection() {
    *alive_ = false;
    socket_->deleteLater();
  }

  const QString& peer() const { return peer_; }
  // Nothing of a request is held or under way: it may be closed without loss.
  bool idleFor(qint64 now, qint64 atLeast) const {
    return state_ == State::kHead && buffer_.empty() && !handling_ && now - since_ >= atLeast;
  }
  void abort() {
    QObject::disconnect(socket_, nullptr, nullptr, nullptr);
    socket_->abort();
  }

  // When checkTime next has something to cut; 0 for never (the API has the request).
  qint64 due(qint64 now) const {
    if (handling_ || state_ == State::kWaiting) return 0;
    const HttpLimits& limits = server_.limits_;
    if (state_ == State::kClosing) return since_ + kLingerMs;
    if (state_ == State::kHead) {
      return since_ +
             (buffer_.empty() && !headStarted_ ? limits.keepAliveIdleMs : limits.headTimeoutMs);
    }
    return std::max(since_ + limits.headTimeoutMs, now + kSweepMs);
  }
  // Tells the server a state or time of the connection just changed.
  void scheduleCheck() {
    if (!gone_) server_.scheduleSweep();
  }
  // Whether due() moves on with the clock (a body's rate check) rather than standing still
  // until the connection's next step.
  bool dueMoves() const { return state_ == State::kBody && !handling_; }

  // The held request's answer; what the client sent meanwhile is read next.
  bool answerLater(uint64_t serial, const HttpAnswer& reply) {
    if (state_ != State::kWaiting || head_.serial != serial) return false;
    state_ = State::kHead;
    headStarted_ = false;
    since_ = server_.now();
    answer(reply, !head_.keepAlive || head_.method == "HEAD");
    const std::shared_ptr<bool> alive = alive_;
    process();
    if (*alive) scheduleCheck();
    return true;
  }

  // Called by the sweep: cuts what has run out of time, by the deadlines of due().
  void checkTime(qint64 now) {
    if (handling_ || state_ == State::kWaiting) return;
    const HttpLimits& limits = server_.limits_;
    if (state_ == State::kBody) {
      const qint64 late = now - since_ - limits.headTimeoutMs;
      if (late > 0 && received_ * 1000 < static_cast<uint64_t>(late) * limits.minBodyRate) {
        refuse(408, QString("the body came slower than %1 bytes a second").arg(limits.minBodyRate));
      }
      return;
    }
    if (now < due(now)) return;
    // Closed and read away, kept alive with nothing asked, or connected and nothing said: no
    // request to answer.
    if (state_ == State::kClosing || buffer_.empty()) {
      server_.remove(this);
      return;
    }
    refuse(408,
           QString("the request head did not come within %1 s").arg(limits.headTimeoutMs / 1000.0));
  }

 private:
  void readAvailable() {
    if (state_ == State::kClosing) {
      socket_->skip(socket_->bytesAvailable());
      return;
    }
    // A body of a known length goes straight from the socket into its place (not while the
    // API has the body: a plug-in call may run the event loop).
    if (state_ == State::kBody && !handling_ && !head_.chunked && buffer_.empty()) {
      const auto want = static_cast<qint64>(head_.contentLength.value_or(0) - body_.size());
      const qint64 take = std::min(want, socket_->bytesAvailable());
      const size_t at = body_.size();
      body_.resize(at + static_cast<size_t>(take));
      const qint64 got = socket_->read(body_.data() + at, take);
      body_.resize(at + static_cast<size_t>(std::max<qint64>(got, 0)));
      received_ += static_cast<uint64_t>(std::max<qint64>(got, 0));
    }
    const QByteArray bytes = socket_->readAll();
    // The next request's head has its own time from its first byte on.
    if (state_ == State::kHead && !headStarted_ && !bytes.isEmpty()) {
      headStarted_ = true;
      since_ = server_.now();
    }
    buffer_.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (!handling_) process();
  }

  void process() {
    while (state_ != State::kClosing && state_ != State::kWaiting) {
      if (state_ == State::kHead) {
        if (!readHead()) return;
      } else if (!readBody()) {
        return;
      }
    }
  }

  // Frames the head and shows it to the API; false while more bytes are needed or when the
  // request was refused.
  bool readHead() {
    // Blank lines between requests are allowed and ignored.
    const size_t start = buffer_.find_first_not_of("\r\n");
    buffer_.erase(0, start == std::string::npos ? buffer_.size() : start);
    if (start != 0) scanFrom_ = 0;
    if (buffer_.empty()) return false;
    const size_t end = http::headEnd(buffer_, scanFrom_);
    if (end == std::string::npos || end > http::kMaxHead) {
      if (buffer_.size() > http::kMaxHead) {
        refuse(431, "the request head is above 64 KiB");
        return false;
      }
      scanFrom_ = buffer_.size() >= 3 ? buffer_.size() - 3 : 0;
      return false;
    }
    rawHead_ = buffer_.substr(0, end);
    buffer_.erase(0, end);
    scanFrom_ = 0;
    auto parsed = http::parseRequestHead(rawHead_);
    if (auto* problem = std::get_if<http::Problem>(&parsed)) {
      refuse(problem->status, QString::fromStdString(problem->reason));
      return false;
    }
    head_ = std::move(std::get<http::RequestHead>(parsed));
    head_.serial = ++server_.requests_;
    handling_ = true;
    std::optional<HttpAnswer> refusal = server_.handlers_.head(head_, peer_);
    handling_ = false;
    if (gone_) {
      server_.remove(this);
      return false;
    }
    if (refusal) {
      answer(*refusal, true);
      return false;
    }
    const uint64_t limit = server_.limits_.bodyLimit;
    if (head_.contentLength.value_or(0) > limit) {
      refuse(413, QString("the body of %1 bytes is above the limit of %2 bytes")
                      .arg(*head_.contentLength)
                      .arg(limit));
      return false;
    }
    body_.clear();
    received_ = 0;
    chunks_.emplace(limit);
    if (head_.expectContinue && head_.hasBody()) {
      send("HTTP/1.1 100 Continue\r\n\r\n");
    }
    state_ = State::kBody;
    since_ = server_.now();
    return true;
  }

  bool readBody() {
    if (head_.chunked) {
      std::string_view input(buffer_);
      const size_t before = input.size();
      const http::ChunkedBody::Step step = chunks_->feed(input, body_);
      received_ += before - input.size();
      buffer_.erase(0, before - input.size());
      if (step == http::ChunkedBody::Step::kFailed) {
        refuse(chunks_->problem().status, QString::fromStdString(chunks_->problem().reason));
        return false;
      }
      if (step == http::ChunkedBody::Step::kMore) return false;
    } else {
      const uint64_t length = head_.contentLength.value_or(0);
      const auto take =
          static_cast<size_t>(std::min<uint64_t>(length - body_.size(), buffer_.size()));
      body_.append(buffer_, 0, take);
      buffer_.erase(0, take);
      received_ += take;
      if (body_.size() < length) return false;
    }
    handling_ = true;
    const HttpAnswer reply = server_.handlers_.request(
        head_, QByteArrayView(body_.data(), static_cast<qsizetype>(body_.size())), peer_);
    handling_ = false;
    if (gone_) {
      server_.remove(this);
      return false;
    }
    body_.clear();
    body_.shrink_to_fit();
    if (reply.later) {
      state_ = State::kWaiting;
      return false;
    }
    state_ = State::kHead;
    headStarted_ = false;
    since_ = server_.now();
    answer(reply, !head_.keepAlive || head_.method == "HEAD");
    return true;
  }

  void refuse(int status, const QString& reason) {
    server_.handlers_.refused(
        status, reason,
        QByteArrayView(state_ == State::kHead && rawHead_.empty() ? buffer_ : rawHead_), peer_);
    answer(HttpAnswer{status, errorJson(status, reason)}, true);
  }

  void answer(const HttpAnswer& reply, bool close) {
    send(answerBytes(reply, close, head_.method != "HEAD"));
    if (!close) {
      rawHead_.clear();
      return;
    }
    state_ = State::kClosing;
    since_ = server_.now();
    buffer_.clear();
    buffer_.shrink_to_fit();
    rawHead_.clear();
    written();
  }

  // Out now, not when the event loop next gets round to it: other connections' requests, each
  // a plug-in call, may be waiting in the same turn of the loop. A plain connection with
  // nothing queued is written directly: the socket's own buffer would copy the answer and
  // schedule a flush, one more turn of the loop for each answer. What the kernel does not take
  // at once goes through the socket.
  void send(const QByteArray& bytes) {
    qsizetype sent = 0;
    if (qobject_cast<QSslSocket*>(socket_) == nullptr && socket_->bytesToWrite() == 0) {
      const auto descriptor = static_cast<int>(socket_->socketDescriptor());
      while (sent < bytes.size()) {
        const ssize_t n = ::send(descriptor, bytes.constData() + sent,
                                 static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
          sent += n;
        } else if (n < 0 && errno == EINTR) {
          continue;
        } else {
          break;  // full (EAGAIN) or failing: the socket takes the rest and reports
        }
      }
    }
    if (sent < bytes.size()) {
      socket_->write(bytes.constData() + sent, bytes.size() - sent);
      socket_->flush();
    }
  }

  // Once a closing answer is out, the connection is closed for writing and read away.
  void written() {
    if (state_ != State::kClosing || socket_->bytesToWrite() > 0 || shutDown_) return;
    shutDown_ = true;
    if (qobject_cast<QSslSocket*>(socket_) != nullptr) {
      socket_->disconnectFromHost();
    } else {
      ::shutdown(static_cast<int>(socket_->socketDescriptor()), SHUT_WR);
    }
  }

  HttpServer& server_;
  QTcpSocket* socket_;
  QString peer_;
  State state_ = State::kHead;
  qint64 since_ = 0;  // when the current state's time began
  std::string buffer_;
  size_t scanFrom_ = 0;
  std::string rawHead_;
  http::RequestHead head_;
  std::optional<http::ChunkedBody> chunks_;
  std::string body_;
  uint64_t received_ = 0;
  bool headStarted_ = true;  // a new connection's head is due from its start
  bool handling_ = false;    // the API has the request: the connection stays as it is
  bool gone_ = false;        // the peer left during the API's call
  bool shutDown_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

HttpServer::HttpServer(const HttpLimits& limits, std::optional<QSslConfiguration> tls,
                       Handlers handlers)
    : limits_(limits), tls_(std::move(tls)), handlers_(std::move(handlers)) {
  connectionLimit_ = std::min(limits_.maxConnections, descriptorBudget());
  clock_.start();
  sweeper_.setSingleShot(true);
  QObject::connect(&sweeper_, &QTimer::timeout, this, [this] { sweep(); });
  // Out of descriptors despite the limit (the rest of the host holds them): Qt stops accepting;
  // try again shortly rather than never, and without spinning on the listening socket.
  QObject::connect(this, &QTcpServer::acceptError, this,
                   [this] { QTimer::singleShot(200, this, [this] { resumeAccepting(); }); });
}

HttpServer::~HttpServer() {
  for (Connection* connection : connections_) {
    connection->abort();
    delete connection;
  }
}

QString HttpServer::makeRoom(const QString& peer) {
  const qint64 at = now();
  auto evictIdle = [&](bool samePeer) {
    for (Connection* connection : connections_) {
      if ((!samePeer || connection->peer() == peer) && connection->idleFor(at, kEvictIdleMs)) {
        remove(connection);
        return true;
      }
    }
    return false;
  };
  if (perPeer_.value(peer) >= limits_.maxConnectionsPerPeer && !evictIdle(true)) {
    return QString("%1 connections from this address are open, the most allowed")
        .arg(limits_.maxConnectionsPerPeer);
  }
  if (connectionCount() >= connectionLimit_ && !evictIdle(false)) {
    return QString("%1 connections are open, the most allowed").arg(connectionLimit_);
  }
  return {};
}

void HttpServer::refuseConnection(qintptr descriptor, const QString& peer, const QString& reason) {
  handlers_.refused(503, reason, {}, peer);
  if (!tls_) {
    const QByteArray answer = answerBytes(HttpAnswer{503, errorJson(503, reason)}, true, true);
    (void)::send(static_cast<int>(descriptor), answer.constData(),
                 static_cast<size_t>(answer.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
  }
  ::close(static_cast<int>(descriptor));
}

void HttpServer::incomingConnection(qintptr descriptor) {
  const QString peer = peerOf(descriptor);
  if (QString full = makeRoom(peer); !full.isEmpty()) {
    refuseConnection(descriptor, peer, full);
    return;
  }
  QTcpSocket* socket = nullptr;
  if (tls_) {
    auto* secure = new QSslSocket;
    secure->setSslConfiguration(*tls_);
    socket = secure;
  } else {
    socket = new QTcpSocket;
  }
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    ::close(static_cast<int>(descriptor));
    return;
  }
  connections_.push_back(new Connection(*this, socket, peer));
  ++perPeer_[peer];
  connections_.back()->scheduleCheck();
  if (auto* secure = qobject_cast<QSslSocket*>(socket)) secure->startServerEncryption();
}

void HttpServer::remove(Connection* connection) {
  auto found = std::find(connections_.begin(), connections_.end(), connection);
  if (found == connections_.end()) return;
  connections_.erase(found);
  if (--perPeer_[connection->peer()] <= 0) perPeer_.remove(connection->peer());
  connection->abort();
  delete connection;
  scheduleSweep();
}

void HttpServer::sweep() {
  const qint64 at = now();
  // checkTime may remove the connection it is given: walk a copy.
  const std::list<Connection*> all = connections_;
  for (Connection* connection : all) {
    if (std::find(connections_.begin(), connections_.end(), connection) != connections_.end()) {
      connection->checkTime(at);
    }
  }
  scheduleSweep();
}

bool HttpServer::answerLater(uint64_t serial, const HttpAnswer& answer) {
  for (Connection* connection : connections_) {
    if (connection->answerLater(serial, answer)) return true;
  }
  return false;
}

void HttpServer::scheduleSweep() {
  // The sweep wakes the host only when a connection has something due, not on a fixed beat:
  // idle kept-alive connections (open consoles, a scraper) cost nothing between their requests.
  const qint64 at = now();
  qint64 next = 0;
  bool moving = false;
  for (Connection* connection : connections_) {
    const qint64 due = connection->due(at);
    if (due <= 0) continue;
    moving = moving || connection->dueMoves();
    if (next == 0 || due < next) next = due;
  }
  if (moving && sweeper_.isActive() && sweepAt_ <= next) return;
  // Other deadlines stand still until their connection's next request, which moves them on: the
  // sweep moves with them, or a scraper asking every 15 s on a connection kept for 30 s would
  // wake the host for a sweep that finds nothing due between each two scrapes. A deadline that
  // moves on with every byte only ever brings the sweep forward, so it still comes.
  if (next == 0) {
    sweeper_.stop();
    return;
  }
  if (sweeper_.isActive() && sweepAt_ == next) return;
  sweepAt_ = next;
  sweeper_.start(
      static_cast<int>(std::clamp<qint64>(next - at, 0, std::numeric_limits<int>::max())));
}

}  // namespace rotaryn::host::api
