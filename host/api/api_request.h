#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "host/plugin_description.h"

// The remote administration API's requests, read without a socket: the route and the
// envelope of an operation.
namespace rotaryn::host::api {

inline constexpr const char* kApiPrefix = "/api/v1/";

// The remote operations, one endpoint each, are the plug-in's (PluginDescription::remote).
using ApiOperation = RemoteOperation;

// A request the API accepts for authorization: the profile list or one operation.
struct ApiRequest {
  // kState: GET /api/v1/profiles/<index>/state, the host's reading of the server's game.
  // The console's reads, all GET: kWhoami /whoami, kAudit /audit, kStatusAll /status (the
  // profile list with each status), and of a profile kStatus, kMapLists, kTasks, kAdminLog
  // (/profiles/<index>/status, maplists, tasks, adminlog), kHistory (the match history).
  enum class Kind {
    kProfiles,
    kOperation,
    kState,
    kWhoami,
    kAudit,
    kStatus,
    kStatusAll,
    kMapLists,
    kTasks,
    kAdminLog,
    kHistory
  };
  Kind kind = Kind::kProfiles;
  const ApiOperation* operation = nullptr;
  int32_t profile = 0;
  std::optional<QJsonValue> data;  // a text or a whole number, passed to the plug-in unchanged
};

// The console's reads: answered by the host from what it and the plug-in hold, no operation.
bool isConsoleRead(ApiRequest::Kind kind);
// Whether the console read is of one profile (/profiles/<index>/...).
bool isProfileRead(ApiRequest::Kind kind);
// The name an audit line gives a console read ("whoami", "status", "maplists", ...).
QString consoleReadName(ApiRequest::Kind kind);

// The day of a query "day=yyyy-mm-dd" (the admin log's and the audit's), today without one;
// none for another key or a day that is not a real date in that form.
std::optional<QDate> consoleDay(QByteArrayView query);
// The seconds a status-list request may be held, "wait=N" (1 to kMostStatusWait); 0 without a
// query; none for anything else.
constexpr int kMostStatusWait = 30;
std::optional<int> statusWait(QByteArrayView query);

// Why a request is refused before it reaches the plug-in.
struct ApiRefusal {
  int status = 400;
  QString message;
  // Data refused for what it holds: the operation and the data, so the audit can name them.
  const ApiOperation* operation = nullptr;
  std::optional<QJsonValue> data;
};

// The route of a request from its method and path alone: the profile list, or an operation
// and its profile (without data), as parseApiRequest reads them.
std::variant<ApiRequest, ApiRefusal> parseApiRoute(const PluginDescription& plugin,
                                                   QByteArrayView method, QByteArrayView path);

// Reads the method, path (without a query) and body of a request. Routes:
//   GET /api/v1/profiles
//   POST /api/v1/profiles/<index>/<operation>   body {"data": ...}, or empty without data
//   GET  /api/v1/profiles/<index>/GetMapsRem
//   GET  /api/v1/profiles/<index>/state         the game state, map playing and next map
//   GET  /api/v1/whoami, /api/v1/audit, /api/v1/profiles/<index>/<console read>
// The data of the map-file operations must name one file inside the game folder.
std::variant<ApiRequest, ApiRefusal> parseApiRequest(const PluginDescription& plugin,
                                                     QByteArrayView method, QByteArrayView path,
                                                     QByteArrayView body);

// The token of an "Authorization: Bearer <token>" header; none when it is not one.
std::optional<QByteArray> bearerToken(QByteArrayView authorization);

// A file name that stays in the folder it is appended to: not empty, no path separator, drive
// colon or control character, not "." or "..".
bool isPlainFileName(QByteArrayView name);

// A header's value in a raw request head (case-insensitive name); empty when absent.
QByteArray headerValue(const QByteArray& head, QByteArrayView name);

}  // namespace rotaryn::host::api
