#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

// The remote administration API's requests, read without a socket: the route, the envelope of
// an operation and the stream of request heads that decides a body's size before it is read.
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

// Watches the bytes of one connection as they arrive, before the HTTP server reads them, and
// decides each request's body size from its head. Requests follow one another on a connection.
class RequestStreamGuard {
 public:
  enum class Verdict {
    kPass,
    kTooLarge,        // Content-Length above the limit: 413
    kLengthRequired,  // a chunked body, whose size is known only once read: 411
    kHeadTooLarge,    // a request head above kMaxHead: 431
    kMalformed,       // a Content-Length that is not a number: 400
  };
  static constexpr size_t kMaxHead = 64 * 1024;

  explicit RequestStreamGuard(uint64_t bodyLimit) : bodyLimit_(bodyLimit) {}
  // The next bytes of the stream. Once a verdict other than kPass is given, it stays.
  Verdict feed(QByteArrayView bytes);
  // The head of the request the verdict is about (method, path and headers).
  const QByteArray& head() const { return head_; }
  uint64_t declaredLength() const { return declared_; }

 private:
  Verdict judgeHead();

  uint64_t bodyLimit_;
  Verdict verdict_ = Verdict::kPass;
  QByteArray head_;
  uint64_t bodyLeft_ = 0;
  uint64_t declared_ = 0;
};

// A header's value in a raw request head (case-insensitive name); empty when absent.
QByteArray headerValue(const QByteArray& head, QByteArrayView name);

}  // namespace rotaryn::host::api
