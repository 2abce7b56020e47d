#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/api/api_request.h"
#include "host/api/http_parser.h"

// The remote administrators of a host root and the API's own settings, kept in
// ROOT/administrators.ini beside host.ini.
namespace rotaryn::host::api {

inline constexpr const char* kAdministratorsFileName = "administrators.ini";
inline constexpr uint16_t kDefaultPort = 8730;

struct Administrator {
  std::string name;                           // printable ASCII, as the plug-in's admin log gets it
  QByteArray tokenSha256;                     // 32 bytes: the SHA-256 of the token, never the token
  std::set<std::string> privileges;           // the plug-in's privilege names
  std::optional<std::set<int32_t>> profiles;  // none: every profile

  bool mayTouch(int32_t profile) const { return !profiles || profiles->count(profile) > 0; }
};

struct ListenAddress {
  std::string host = "127.0.0.1";
  uint16_t port = kDefaultPort;
};

struct ApiSettings {
  ListenAddress listen;
  // MetricsListen: a loopback address where GET /metrics needs no token; none: only on the API.
  std::optional<ListenAddress> metricsListen;
  std::string certificatePath;  // TLS when both are set; relative to the root
  std::string keyPath;
  http::Limits limits;  // the body, connections and time
  std::vector<Administrator> administrators;
};

// The file cannot be used: the line (0 = the file) and why.
class AdministratorsFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The privilege names the plug-in offers (PluginDescription::privileges).
using PrivilegeNames = std::vector<std::string>;

// The host's own privileges, granted in the same list as the plug-in's: "View Audit" reads the
// API's audit (GET /api/v1/audit).
inline constexpr const char* kViewAudit = "View Audit";
// "Read Metrics" reads the host's metrics (GET /metrics).
inline constexpr const char* kReadMetrics = "Read Metrics";
bool isHostPrivilege(std::string_view name);

// Parses the file's text; throws AdministratorsFileError naming fileName and the line.
ApiSettings parseAdministrators(std::string_view text, const std::string& fileName,
                                const PrivilegeNames& offered);
// The root's file; a missing file gives the defaults with no administrator. The file and the TLS
// key are secrets: one that group or others can write is refused (AdministratorsFileError), one
// they can read is named in a warning (when warnings is given).
ApiSettings readAdministrators(const std::string& rootPosix, const PrivilegeNames& offered,
                               std::vector<std::string>* warnings = nullptr);

// "ADDR:PORT", "[v6]:PORT"; throws std::invalid_argument with the reason.
ListenAddress parseListenAddress(std::string_view text);
// "Skip Maps,Change Map List": each one of the privileges offered or the host's; throws
// std::invalid_argument naming the unknown one.
std::set<std::string> parsePrivileges(std::string_view list, const PrivilegeNames& offered);
// "1,2,5"; throws std::invalid_argument.
std::set<int32_t> parseProfileList(std::string_view list);
// Empty when the name can be an administrator's, else why not.
std::string nameProblem(std::string_view name);

// A new random 256-bit token, as 64 hex digits.
QByteArray newToken();
QByteArray tokenHash(QByteArrayView token);
// Equal in time that depends only on the lengths.
bool constantTimeEqual(QByteArrayView a, QByteArrayView b);
// The administrator whose token this is; every entry is compared, whichever matches.
const Administrator* findByToken(const std::vector<Administrator>& administrators,
                                 QByteArrayView token);

// Adds the administrator to the root's file (replacing an entry of the same name), written
// beside (a new file of mode 0600; a leftover of a cut-off run is removed, never reused) and
// renamed into place, so the file is readable by its owner only. Callers keep two from running
// at once (RootLock's administrators' part); returns the new token and whether
// an entry was replaced. Throws std::runtime_error when the file cannot be read or written.
struct AddedAdministrator {
  QByteArray token;
  bool replaced = false;
};
AddedAdministrator addAdministrator(const std::string& rootPosix, const std::string& name,
                                    const std::set<std::string>& privileges,
                                    const std::optional<std::set<int32_t>>& profiles,
                                    const PrivilegeNames& offered);

}  // namespace rotaryn::host::api
