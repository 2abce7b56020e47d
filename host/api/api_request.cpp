#include "host/api/api_request.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QUrlQuery>
#include <cmath>
#include <limits>

#include "host/api/api_validation.h"
#include "host/host_text.h"

namespace rotaryn::host::api {
namespace {

ApiRefusal refuse(int status, const QString& message) {
  return ApiRefusal{status, message};
}

QString operationList(const PluginDescription& plugin) {
  QStringList names;
  for (const ApiOperation& operation : plugin.remote) names << operation.name;
  return names.join(", ");
}

// A profile index as the host numbers them: 1 to 2147483647, digits only.
std::optional<int32_t> profileIndex(QByteArrayView text) {
  if (text.isEmpty() || text.size() > 10 || text.front() == '0') return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

// A whole number given as a JSON number or as its decimal text.
std::optional<int64_t> wholeNumber(const QJsonValue& value) {
  if (value.isDouble()) {
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::fabs(number) > 2147483647.0) return std::nullopt;
    return static_cast<int64_t>(number);
  }
  QByteArray text = value.toString().toLatin1();
  if (text.startsWith('-') || text.startsWith('+')) text.remove(0, 1);
  if (text.isEmpty() || text.size() > 10) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const int64_t magnitude = text.toLongLong();
  if (magnitude > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return value.toString().startsWith('-') ? -magnitude : magnitude;
}

// The checks an operation's data gets before the plug-in sees it; empty when it passes.
QString dataProblem(const ApiOperation& operation, const QJsonValue& data) {
  const std::string name = operation.name.toStdString();
  if (name == "PlayMapRem") {
    return wholeNumber(data) ? QString() : "the data of PlayMapRem is a rotation position";
  }
  if (name == "SetAutoLoad") {
    auto value = wholeNumber(data);
    return value && (*value == 0 || *value == 1) ? QString() : "the data of SetAutoLoad is 0 or 1";
  }
  if (name == "SetDisplayTimer") {
    auto value = wholeNumber(data);
    return value && *value >= 1 && *value <= 9
               ? QString()
               : "the data of SetDisplayTimer is a display time from 1 to 9 (units of 5 seconds)";
  }
  if (!data.isString()) return QString("the data of %1 is a text").arg(operation.name);
  if (QString problem = windows1252Problem(data.toString()); !problem.isEmpty()) return problem;
  const QByteArray text = data.toString().toUtf8();
  if (name == "AddTaskRem" || name == "EditTaskRem") {
    auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return QString("the data of %1 is the task in base 64").arg(operation.name);
    return name == "AddTaskRem" ? addTaskProblem(*decoded) : editTaskProblem(*decoded);
  }
  if (name == "DeleteTaskRem") return taskNameProblem(toWindows1252(data.toString()));
  if (name == "AddFileRem") {
    const qsizetype bar = text.indexOf('|');
    if (bar < 0) return "the data of AddFileRem is the file name, \"|\" and the bytes";
    if (!isPlainFileName(text.left(bar))) {
      return "AddFileRem writes only into the game folder: the file name may hold no path";
    }
    if (QString problem = byteListProblem(QByteArrayView(text).sliced(bar + 1));
        !problem.isEmpty()) {
      return problem;
    }
  }
  if (name == "DeleteFileRem") {
    auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return "the data of DeleteFileRem is a file name in base 64";
    if (!isPlainFileName(*decoded)) {
      return "DeleteFileRem deletes only in the game folder: the file name may hold no path";
    }
  }
  return {};
}

struct ConsoleRoute {
  const char* name;
  ApiRequest::Kind kind;
  bool ofProfile;
};
constexpr ConsoleRoute kConsoleRoutes[] = {
    {"whoami", ApiRequest::Kind::kWhoami, false},    {"audit", ApiRequest::Kind::kAudit, false},
    {"status", ApiRequest::Kind::kStatusAll, false}, {"status", ApiRequest::Kind::kStatus, true},
    {"maplists", ApiRequest::Kind::kMapLists, true}, {"tasks", ApiRequest::Kind::kTasks, true},
    {"adminlog", ApiRequest::Kind::kAdminLog, true}, {"history", ApiRequest::Kind::kHistory, true},
};

const ConsoleRoute* consoleRoute(QByteArrayView name, bool ofProfile) {
  for (const ConsoleRoute& route : kConsoleRoutes) {
    if (route.ofProfile == ofProfile && name == QByteArrayView(route.name)) return &route;
  }
  return nullptr;
}

}  // namespace

bool isConsoleRead(ApiRequest::Kind kind) {
  return !consoleReadName(kind).isEmpty();
}

bool isProfileRead(ApiRequest::Kind kind) {
  for (const ConsoleRoute& route : kConsoleRoutes) {
    if (route.kind == kind) return route.ofProfile;
  }
  return false;
}

QString consoleReadName(ApiRequest::Kind kind) {
  for (const ConsoleRoute& route : kConsoleRoutes) {
    if (route.kind == kind) return QString::fromLatin1(route.name);
  }
  return {};
}

std::optional<QDate> consoleDay(QByteArrayView query) {
  const QUrlQuery items(QString::fromLatin1(query.toByteArray()));
  for (const auto& [key, value] : items.queryItems(QUrl::FullyDecoded)) {
    if (key != "day") return std::nullopt;
  }
  if (!items.hasQueryItem("day")) return QDate::currentDate();
  const QString text = items.queryItemValue("day", QUrl::FullyDecoded);
  const QDate day = QDate::fromString(text, "yyyy-MM-dd");
  if (text.size() != 10 || !day.isValid()) return std::nullopt;
  return day;
}

std::optional<int> statusWait(QByteArrayView query) {
  if (query.isEmpty()) return 0;
  if (!query.startsWith("wait=")) return std::nullopt;
  bool ok = false;
  const int seconds = query.sliced(5).toInt(&ok);
  if (!ok || seconds < 1 || seconds > kMostStatusWait) return std::nullopt;
  return seconds;
}

std::variant<ApiRequest, ApiRefusal> parseApiRoute(const PluginDescription& plugin,
                                                   QByteArrayView method, QByteArrayView path) {
  const QByteArrayView prefix(kApiPrefix);
  if (!path.startsWith(prefix)) return refuse(404, "the API's paths start with /api/v1/");
  const QList<QByteArray> parts = path.sliced(prefix.size()).toByteArray().split('/');
  const bool get = method == QByteArrayView("GET");
  const bool post = method == QByteArrayView("POST");
  if (parts.size() == 1 && parts[0] == "profiles") {
    if (!get) return refuse(405, "/api/v1/profiles is read with GET");
    return ApiRequest{};
  }
  if (const ConsoleRoute* route = parts.size() == 1 ? consoleRoute(parts[0], false) : nullptr) {
    if (!get) return refuse(405, QString("/api/v1/%1 is read with GET").arg(route->name));
    return ApiRequest{route->kind, nullptr, 0, std::nullopt};
  }
  if (parts.size() != 3 || parts[0] != "profiles") {
    return refuse(404,
                  "no such endpoint; they are /api/v1/profiles, /api/v1/status, /api/v1/whoami, "
                  "/api/v1/audit "
                  "and /api/v1/profiles/<index>/<operation>");
  }
  auto index = profileIndex(parts[1]);
  if (!index) return refuse(400, "the profile is a whole number from 1 to 2147483647");
  if (parts[2] == "state") {
    if (!get) return refuse(405, "the state is read with GET");
    return ApiRequest{ApiRequest::Kind::kState, nullptr, *index, std::nullopt};
  }
  if (const ConsoleRoute* route = consoleRoute(parts[2], true)) {
    if (!get) return refuse(405, QString("the %1 is read with GET").arg(route->name));
    return ApiRequest{route->kind, nullptr, *index, std::nullopt};
  }
  const ApiOperation* operation =
      plugin.findRemote(std::string_view(parts[2].data(), parts[2].size()));
  if (operation == nullptr) {
    return refuse(404, "no operation \"" + QString::fromUtf8(parts[2]) + "\"; the operations are " +
                           operationList(plugin));
  }
  if (!post && !(get && operation->readOnly)) {
    return refuse(405, QString("%1 is called with POST").arg(operation->name));
  }
  return ApiRequest{ApiRequest::Kind::kOperation, operation, *index, std::nullopt};
}

std::variant<ApiRequest, ApiRefusal> parseApiRequest(const PluginDescription& plugin,
                                                     QByteArrayView method, QByteArrayView path,
                                                     QByteArrayView body) {
  auto route = parseApiRoute(plugin, method, path);
  if (std::holds_alternative<ApiRefusal>(route)) return route;
  ApiRequest request = std::get<ApiRequest>(route);
  if (request.kind != ApiRequest::Kind::kOperation) return request;
  const ApiOperation* operation = request.operation;
  if (!body.trimmed().isEmpty()) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) {
      return refuse(400, "the body is not JSON: " + error.errorString());
    }
    if (!document.isObject()) return refuse(400, "the body is a JSON object: {\"data\": ...}");
    const QJsonObject envelope = document.object();
    for (auto it = envelope.begin(); it != envelope.end(); ++it) {
      if (it.key() != "data") {
        return refuse(400, "the envelope holds only \"data\", not \"" + it.key() + "\"");
      }
      if (!it.value().isString() && !wholeNumber(it.value())) {
        return refuse(400, "\"data\" is a text or a whole number");
      }
      request.data = it.value();
    }
  }
  if (operation->readsData && !request.data) {
    return refuse(400, QString("%1 needs its data: {\"data\": ...}").arg(operation->name));
  }
  if (!operation->readsData && request.data) {
    return refuse(400, QString("%1 takes no data").arg(operation->name));
  }
  if (request.data) {
    if (QString problem = dataProblem(*operation, *request.data); !problem.isEmpty()) {
      return ApiRefusal{400, problem, operation, request.data};
    }
  }
  return request;
}

std::optional<QByteArray> bearerToken(QByteArrayView authorization) {
  const QByteArrayView trimmed = authorization.trimmed();
  if (trimmed.size() < 7 || trimmed.first(7).compare("Bearer ", Qt::CaseInsensitive) != 0) {
    return std::nullopt;
  }
  const QByteArray token = trimmed.sliced(7).trimmed().toByteArray();
  if (token.isEmpty()) return std::nullopt;
  return token;
}

bool isPlainFileName(QByteArrayView name) {
  if (name.isEmpty() || name == QByteArrayView(".") || name == QByteArrayView("..")) return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

QByteArray headerValue(const QByteArray& head, QByteArrayView name) {
  const QList<QByteArray> lines = head.split('\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray& line = lines[i];
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) continue;
    if (QByteArrayView(line).first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
      return line.mid(colon + 1).trimmed();
    }
  }
  return {};
}

}  // namespace rotaryn::host::api
