#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

// The remote administration API's requests, read without a socket: the route and the
// envelope of an operation.
namespace rotaryn::host::api {

inline constexpr const char* kApiPrefix = "/api/v1/";

// The plug-in's privilege names, as GetPrivis lists them (without their "|1").
inline constexpr const char* kPrivilegeNames[] = {
    "Change Map List", "Skip Maps", "Delete Maps", "Add New Maps", "Add New Tasks", "Delete Tasks"};

// The remote operations of the plug-in, one endpoint each.
struct ApiOperation {
  const char* name;
  const char* privilege;  // nullptr: any of the plug-in's privileges
  bool readsData;         // the call needs "data"
  bool readOnly;          // GET is accepted as well as POST
};
inline constexpr ApiOperation kOperations[] = {
    {"GetMapsRem", nullptr, false, true},
    {"SetMapsRem", "Change Map List", true, false},
    {"SetAutoLoad", "Change Map List", true, false},
    {"SetDisplayTimer", "Change Map List", true, false},
    {"SkipMapRem", "Skip Maps", false, false},
    {"ScoreMapRem", "Skip Maps", false, false},
    {"PlayMapRem", "Skip Maps", true, false},
    {"AddFileRem", "Add New Maps", true, false},
    {"DeleteFileRem", "Delete Maps", true, false},
    {"AddTaskRem", "Add New Tasks", true, false},
    {"EditTaskRem", "Add New Tasks", true, false},
    {"DeleteTaskRem", "Delete Tasks", true, false},
};
const ApiOperation* findOperation(std::string_view name);

// A request the API accepts for authorization: the profile list or one operation.
struct ApiRequest {
  // kState: GET /api/v1/profiles/<index>/state, the host's reading of the server's game.
  enum class Kind { kProfiles, kOperation, kState };
  Kind kind = Kind::kProfiles;
  const ApiOperation* operation = nullptr;
  int32_t profile = 0;
  std::optional<QJsonValue> data;  // a text or a whole number, passed to the plug-in unchanged
};

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
std::variant<ApiRequest, ApiRefusal> parseApiRoute(QByteArrayView method, QByteArrayView path);

// Reads the method, path (without a query) and body of a request. Routes:
//   GET /api/v1/profiles
//   POST /api/v1/profiles/<index>/<operation>   body {"data": ...}, or empty without data
//   GET  /api/v1/profiles/<index>/GetMapsRem
//   GET  /api/v1/profiles/<index>/state         the game state, map playing and next map
// The data of the map-file operations must name one file inside the game folder.
std::variant<ApiRequest, ApiRefusal> parseApiRequest(QByteArrayView method, QByteArrayView path,
                                                     QByteArrayView body);

// The token of an "Authorization: Bearer <token>" header; none when it is not one.
std::optional<QByteArray> bearerToken(QByteArrayView authorization);

// A file name that stays in the folder it is appended to: not empty, no path separator, drive
// colon or control character, not "." or "..".
bool isPlainFileName(QByteArrayView name);

// A header's value in a raw request head (case-insensitive name); empty when absent.
QByteArray headerValue(const QByteArray& head, QByteArrayView name);

}  // namespace rotaryn::host::api
