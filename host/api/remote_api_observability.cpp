// The API's read-only views of the host itself: its metrics for Prometheus (their own path, and
// their own loopback listener) and the match history of a profile (a console read).
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>

#include "host/api/remote_api.h"
#include "host/history/match_history.h"
#include "host/host_app.h"
#include "host/host_text.h"

namespace rotaryn::host::api {
namespace {

constexpr std::string_view kMetricsPath = "/metrics";

QByteArray jsonBytes(const QJsonObject& body) {
  return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

HttpAnswer errorAnswer(int status, const QString& message) {
  return HttpAnswer{
      status,
      jsonBytes(QJsonObject{{"error", QJsonObject{{"status", status}, {"message", message}}}})};
}

std::string_view viewOf(QByteArrayView bytes) {
  return std::string_view(bytes.data(), static_cast<size_t>(bytes.size()));
}

}  // namespace

bool RemoteApi::observabilityPath(QByteArrayView path) {
  return viewOf(path) == kMetricsPath;
}

uint16_t RemoteApi::metricsPort() const {
  return metricsServer_ != nullptr && metricsServer_->isListening() ? metricsServer_->serverPort()
                                                                    : 0;
}

void RemoteApi::countRequest(const QJsonObject& entry) {
  metrics::HostMetrics& metrics = host_.observer().metrics();
  const int status = entry.value("status").toInt();
  const QString operation = entry.value("operation").toString();
  metrics.apiRequest(operation.isEmpty() ? "unknown" : operation.toStdString(), status);
  if (entry.value("outcome").toString() == "refused") {
    metrics.apiRefused(metrics::refusalReason(status,
                                              entry.value("message").toString().toStdString(),
                                              entry.value("refusedBy").toString() == "plug-in"));
  }
}

HttpAnswer RemoteApi::metricsAnswer() {
  host_.refreshServerMetrics();
  return HttpAnswer{200, QByteArray::fromStdString(host_.observer().metrics().scrape()),
                    "text/plain; version=0.0.4; charset=utf-8"};
}

std::string RemoteApi::startMetricsListener() {
  if (!settings_.metricsListen || metricsServer_) return "";
  const ListenAddress& at = *settings_.metricsListen;
  const QHostAddress address = at.host == "::1" ? QHostAddress(QHostAddress::LocalHostIPv6)
                                                : QHostAddress(QHostAddress::LocalHost);
  HttpServer::Handlers handlers;
  handlers.head = [](const http::RequestHead& head, const QString&) -> std::optional<HttpAnswer> {
    if (head.path() != kMetricsPath) return errorAnswer(404, "this listener serves GET /metrics");
    if (head.method != "GET") return errorAnswer(405, "/metrics is read with GET");
    return std::nullopt;
  };
  handlers.request = [this](const http::RequestHead&, QByteArrayView, const QString&) {
    return metricsAnswer();
  };
  handlers.refused = [](int, const QString&, QByteArrayView, const QString&) {};
  metricsServer_ =
      std::make_unique<HttpServer>(settings_.limits, std::nullopt, std::move(handlers));
  if (!metricsServer_->listen(address, at.port)) {
    std::string why = metricsServer_->errorString().toStdString();
    metricsServer_.reset();
    return "the metrics cannot listen on " + at.host + ":" + std::to_string(at.port) + ": " + why;
  }
  note_("metrics listening on http://" + address.toString().toStdString() + ":" +
        std::to_string(metricsServer_->serverPort()) + "/metrics (no token: loopback only)");
  return "";
}

HttpAnswer RemoteApi::serveObservability(const http::RequestHead& head, const QString& peer) {
  Call call;
  const QByteArrayView method(head.method.data(), static_cast<qsizetype>(head.method.size()));
  const std::string_view path = head.path();
  const std::string_view token = head.header("Authorization");
  const QByteArrayView authorization(token.data(), static_cast<qsizetype>(token.size()));
  if (std::optional<Reply> refusal =
          login(call, method, QByteArrayView(path.data(), static_cast<qsizetype>(path.size())),
                authorization, peer)) {
    return HttpAnswer{refusal->status, refusal->bytes()};
  }
  call.entry.insert("operation", "metrics");
  auto refused = [&](int status, const QString& message) {
    const Reply reply = refuse(call, status, message);
    return HttpAnswer{reply.status, reply.bytes()};
  };
  if (head.method != "GET") return refused(405, "it is read with GET");
  if (call.admin->privileges.count(kReadMetrics) == 0) {
    return refused(403, QString("administrator %1 lacks the privilege \"%2\" that /metrics needs")
                            .arg(QString::fromStdString(call.admin->name), kReadMetrics));
  }
  audited(call, "accepted", Reply{});
  return metricsAnswer();
}

RemoteApi::Reply RemoteApi::answerHistory(Call& call, const ApiRequest& request) {
  const int32_t profile = request.profile;
  QJsonObject& entry = call.entry;
  const std::string_view query(call.query.data(), static_cast<size_t>(call.query.size()));
  const history::HistoryRange range =
      history::parseHistoryRange(query, history::systemMoment().local);
  if (!range.problem.empty()) return refuse(call, 400, QString::fromStdString(range.problem));
  const std::string fromText = history::dateText(range.from);
  const std::string toText = history::dateText(range.to);
  const std::string folder = utf8FromWindows1252(host_.profile(profile).config.profileFolder);
  QJsonArray games;
  for (const nlohmann::json& game :
       history::readHistory(host_.observer().historyFolder(), folder, range.from, range.to)) {
    games.append(QJsonDocument::fromJson(QByteArray::fromStdString(game.dump())).object());
  }
  entry.insert("from", QString::fromStdString(fromText));
  entry.insert("to", QString::fromStdString(toText));
  entry.insert("games", games.size());
  return audited(call, "accepted",
                 Reply{200, QJsonObject{{"profile", profile},
                                        {"folder", QString::fromStdString(folder)},
                                        {"from", QString::fromStdString(fromText)},
                                        {"to", QString::fromStdString(toText)},
                                        {"games", games}}});
}

}  // namespace rotaryn::host::api
