#include "host/api/administrators.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "host/config/ini_lines.h"

namespace rotaryn::host::api {
namespace {

using host::asciiLower;
using host::IniLine;
using host::trimIni;

std::vector<std::string> splitList(std::string_view list) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    std::string item(trimIni(list.substr(start, comma - start)));
    if (!item.empty()) items.push_back(std::move(item));
    start = comma + 1;
  }
  return items;
}

constexpr std::string_view kAdminSection = "administrator ";
constexpr std::string_view kTokenPrefix = "sha256:";

// The section an administrator's entry has: "[Administrator NAME]".
std::optional<std::string> adminNameOf(std::string_view header) {
  if (header.size() < kAdminSection.size() ||
      asciiLower(header.substr(0, kAdminSection.size())) != kAdminSection) {
    return std::nullopt;
  }
  return std::string(trimIni(header.substr(kAdminSection.size())));
}

uint64_t numberOf(const std::string& text, const char* what) {
  if (text.empty() || text.size() > 19 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw std::invalid_argument(std::string(what) + " is a whole number, not \"" + text + "\"");
  }
  return std::stoull(text);
}

int boundedNumber(const std::string& text, const char* what, int least, int most) {
  const uint64_t value = numberOf(text, what);
  if (value < static_cast<uint64_t>(least) || value > static_cast<uint64_t>(most)) {
    throw std::invalid_argument(std::string(what) + " is from " + std::to_string(least) + " to " +
                                std::to_string(most) + ", not " + text);
  }
  return static_cast<int>(value);
}

std::string readFile(const std::string& path, bool& exists) {
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  if (!in) {
    if (errno == ENOENT) return {};
    throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Refuses a secret that group or others can write, as ssh does its keys; a warning when they can
// read it. A file that cannot be looked at is left to the reading that follows.
void checkSecretMode(const std::string& path, const std::string& what, const std::string& harm,
                     std::vector<std::string>* warnings) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  if (st.st_mode & (S_IWGRP | S_IWOTH)) {
    throw AdministratorsFileError(what + " " + path + " can be written by group or others (mode " +
                                  mode + "): " + harm + "; make it the host user's alone with " +
                                  "chmod 600 " + path);
  }
  if ((st.st_mode & (S_IRGRP | S_IROTH)) && warnings) {
    warnings->push_back(what + " " + path + " can be read by group or others (mode " + mode +
                        "); chmod 600 " + path);
  }
}

// Reads administrators.ini a line at a time; every problem is an AdministratorsFileError naming
// its line.
class AdministratorsReader {
 public:
  AdministratorsReader(const std::string& fileName, const PrivilegeNames& offered)
      : fileName_(fileName), offered_(offered) {}

  void read(const IniLine& line) {
    line_ = line.number;
    try {
      switch (line.kind) {
        case IniLine::Kind::kUnclosedSection:
          fail("a section header ends with \"]\"");
        case IniLine::Kind::kNotASetting:
          fail("a setting is KEY = VALUE");
        case IniLine::Kind::kSection:
          finishAdmin();
          openSection(std::string(line.name));
          return;
        case IniLine::Kind::kSetting:
          applySetting(asciiLower(line.name), std::string(line.value));
          return;
      }
    } catch (const std::invalid_argument& error) {
      fail(error.what());
    }
  }

  ApiSettings finish() {
    finishAdmin();
    if (settings_.certificatePath.empty() != settings_.keyPath.empty()) {
      line_ = 0;
      fail("TLS needs both Certificate and Key in [API]");
    }
    return settings_;
  }

 private:
  enum class Section { kNone, kApi, kAdmin };

  [[noreturn]] void fail(const std::string& why) const {
    throw AdministratorsFileError(fileName_ + ":" + std::to_string(line_) + ": " + why);
  }

  // The entry just read has what an administrator needs.
  void finishAdmin() const {
    if (section_ != Section::kAdmin) return;
    const Administrator& admin = settings_.administrators.back();
    if (admin.tokenSha256.isEmpty()) fail("administrator \"" + admin.name + "\" has no Token");
    if (admin.privileges.empty()) fail("administrator \"" + admin.name + "\" has no Privileges");
  }

  void openSection(const std::string& header) {
    if (asciiLower(header) == "api") {
      section_ = Section::kApi;
    } else if (auto name = adminNameOf(header)) {
      if (std::string problem = nameProblem(*name); !problem.empty()) fail(problem);
      if (!adminLines_.emplace(asciiLower(*name), line_).second) {
        fail("administrator \"" + *name + "\" is named twice");
      }
      settings_.administrators.push_back(Administrator{*name, {}, {}, std::nullopt});
      section_ = Section::kAdmin;
    } else {
      fail("the sections are [API] and [Administrator NAME], not [" + header + "]");
    }
  }

  // key in lower case; a value that is wrong throws std::invalid_argument.
  void applySetting(const std::string& key, const std::string& value) {
    if (section_ == Section::kApi) {
      applyApiSetting(key, value);
    } else if (section_ == Section::kAdmin) {
      applyAdminSetting(settings_.administrators.back(), key, value);
    } else {
      fail("a setting before the first section");
    }
  }

  void applyApiSetting(const std::string& key, const std::string& value) {
    http::Limits& limits = settings_.limits;
    if (key == "listen") {
      settings_.listen = parseListenAddress(value);
    } else if (key == "metricslisten") {
      settings_.metricsListen = parseListenAddress(value);
      const std::string& host = settings_.metricsListen->host;
      if (host != "127.0.0.1" && host != "::1" && host != "localhost") {
        fail(
            "MetricsListen serves without a token, so it is a loopback address (127.0.0.1:PORT "
            "or [::1]:PORT), not \"" +
            value + "\"");
      }
    } else if (key == "certificate") {
      settings_.certificatePath = value;
    } else if (key == "key") {
      settings_.keyPath = value;
    } else if (key == "bodylimit") {
      limits.bodyLimit = numberOf(value, "BodyLimit");
      if (limits.bodyLimit == 0) fail("BodyLimit is at least 1 byte");
    } else if (key == "maxconnections") {
      limits.maxConnections = boundedNumber(value, "MaxConnections", 1, 100000);
    } else if (key == "maxconnectionsperaddress") {
      limits.maxConnectionsPerPeer = boundedNumber(value, "MaxConnectionsPerAddress", 1, 100000);
    } else if (key == "headtimeout") {
      limits.headTimeoutMs = boundedNumber(value, "HeadTimeout", 1, 3600) * 1000;
    } else if (key == "minbodyrate") {
      limits.minBodyRate = numberOf(value, "MinBodyRate");
      if (limits.minBodyRate == 0) fail("MinBodyRate is at least 1 byte a second");
    } else if (key == "keepalivetimeout") {
      limits.keepAliveIdleMs = boundedNumber(value, "KeepAliveTimeout", 1, 3600) * 1000;
    } else {
      fail(
          "[API] has Listen, MetricsListen, Certificate, Key, BodyLimit, MaxConnections, "
          "MaxConnectionsPerAddress, HeadTimeout, MinBodyRate and KeepAliveTimeout, not \"" +
          key + "\"");
    }
  }

  void applyAdminSetting(Administrator& admin, const std::string& key, const std::string& value) {
    if (key == "token") {
      const QByteArray hex = QByteArray::fromStdString(value);
      if (!hex.startsWith(kTokenPrefix.data()) ||
          hex.size() != static_cast<qsizetype>(kTokenPrefix.size()) + 64) {
        fail("Token is sha256: and 64 hex digits (rotaryn-host --add-admin writes it)");
      }
      admin.tokenSha256 = QByteArray::fromHex(hex.mid(kTokenPrefix.size()));
      if (admin.tokenSha256.size() != 32) fail("Token is sha256: and 64 hex digits");
    } else if (key == "privileges") {
      admin.privileges = parsePrivileges(value, offered_);
    } else if (key == "profiles") {
      admin.profiles = parseProfileList(value);
    } else {
      fail("an administrator has Token, Privileges and Profiles, not \"" + key + "\"");
    }
  }

  const std::string& fileName_;
  const PrivilegeNames& offered_;
  ApiSettings settings_;
  Section section_ = Section::kNone;
  int line_ = 0;
  std::map<std::string, int> adminLines_;
};

constexpr const char* kNewFileHead =
    "; Remote administrators of this host root and the API's settings (docs/api.md).\n"
    "; rotaryn-host --add-admin writes the entries; a token itself is never stored.\n"
    "[API]\n"
    "; Listen = 127.0.0.1:8730\n"
    "; Certificate = tls/cert.pem\n"
    "; Key = tls/key.pem\n"
    "; BodyLimit = 33554432\n"
    "; MaxConnections = 64\n"
    "; MaxConnectionsPerAddress = 16\n"
    "; HeadTimeout = 10\n"
    "; MinBodyRate = 4096\n"
    "; KeepAliveTimeout = 30\n";

// Every line of the file except those of the named administrator's entry, which runs from its
// section header to the next one; `replaced` tells whether there was one.
std::string withoutEntry(const std::string& old, const std::string& name, bool& replaced) {
  std::map<int, bool> sections;  // the line of each section header: whether it is the entry's
  for (const IniLine& line : host::iniLines(old)) {
    if (line.kind != IniLine::Kind::kSection) continue;
    auto entry = adminNameOf(line.name);
    sections[line.number] = entry && asciiLower(*entry) == asciiLower(name);
  }
  std::string text;
  std::istringstream in(old);
  std::string raw;
  bool skipping = false;
  for (int number = 1; std::getline(in, raw); ++number) {
    if (auto section = sections.find(number); section != sections.end()) {
      skipping = section->second;
      replaced = replaced || skipping;
    }
    if (!skipping) text += raw + "\n";
  }
  return text;
}

std::string entryText(const std::string& name, const QByteArray& tokenSha256,
                      const std::set<std::string>& privileges,
                      const std::optional<std::set<int32_t>>& profiles) {
  std::string privilegeList;
  for (const std::string& privilege : privileges) {
    privilegeList += (privilegeList.empty() ? "" : ",") + privilege;
  }
  std::string text = "\n[Administrator " + name + "]\n";
  text += "Token = sha256:" + tokenSha256.toHex().toStdString() + "\n";
  text += "Privileges = " + privilegeList + "\n";
  if (profiles) {
    std::string list;
    for (int32_t index : *profiles) list += (list.empty() ? "" : ",") + std::to_string(index);
    text += "Profiles = " + list + "\n";
  }
  return text;
}

// Writes the text beside the file, readable by its owner only, and renames it into place.
void replaceFile(const std::string& path, const std::string& text) {
  // A leftover of a cut-off run may have any mode or owner, or be a link: only a file made here,
  // now, becomes the administrators file.
  const std::string temporary = path + ".new";
  if (::unlink(temporary.c_str()) != 0 && errno != ENOENT) {
    throw std::runtime_error("cannot remove the leftover " + temporary + ": " +
                             std::strerror(errno));
  }
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("cannot write " + temporary + ": " + std::strerror(errno));
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      throw std::runtime_error("cannot write " + temporary + ": " + std::strerror(error));
    }
    written += static_cast<size_t>(n);
  }
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  if (!synced || ::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    throw std::runtime_error("cannot replace " + path + ": " + std::strerror(error));
  }
}

}  // namespace

ListenAddress parseListenAddress(std::string_view text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) {
    throw std::invalid_argument("the address is ADDR:PORT, not \"" + std::string(text) + "\"");
  }
  std::string host(text.substr(0, colon));
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  const std::string port(text.substr(colon + 1));
  uint64_t number = 0;
  try {
    number = numberOf(port, "the port");
  } catch (const std::invalid_argument&) {
    number = 65536;
  }
  if (number > 65535) {
    throw std::invalid_argument("the port is a number from 0 to 65535, not \"" + port + "\"");
  }
  return ListenAddress{host, static_cast<uint16_t>(number)};
}

bool isHostPrivilege(std::string_view name) {
  return name == kViewAudit || name == kReadMetrics;
}

std::set<std::string> parsePrivileges(std::string_view list, const PrivilegeNames& offered) {
  std::set<std::string> privileges;
  for (const std::string& item : splitList(list)) {
    if (std::find(offered.begin(), offered.end(), item) == offered.end() &&
        !isHostPrivilege(item)) {
      std::string names;
      for (const std::string& name : offered) names += (names.empty() ? "" : ", ") + name;
      throw std::invalid_argument("\"" + item + "\" is not a privilege of the plug-in; they are " +
                                  names + "; the host's own are " + kViewAudit + " and " +
                                  kReadMetrics);
    }
    privileges.insert(item);
  }
  if (privileges.empty()) throw std::invalid_argument("no privilege given");
  return privileges;
}

std::set<int32_t> parseProfileList(std::string_view list) {
  std::set<int32_t> profiles;
  for (const std::string& item : splitList(list)) {
    const uint64_t index = numberOf(item, "a profile");
    if (index < 1 || index > 2147483647) {
      throw std::invalid_argument("a profile is from 1 to 2147483647, not " + item);
    }
    profiles.insert(static_cast<int32_t>(index));
  }
  if (profiles.empty()) throw std::invalid_argument("no profile given");
  return profiles;
}

std::string nameProblem(std::string_view name) {
  if (name.empty() || name.size() > 64) return "a name has 1 to 64 characters";
  if (name.front() == ' ' || name.back() == ' ') return "a name does not start or end with a blank";
  for (char c : name) {
    if (c < 0x20 || c > 0x7E || c == ']') {
      return "a name is printable ASCII without \"]\"";
    }
  }
  return {};
}

ApiSettings parseAdministrators(std::string_view text, const std::string& fileName,
                                const PrivilegeNames& offered) {
  AdministratorsReader reader(fileName, offered);
  for (const IniLine& line : host::iniLines(text)) reader.read(line);
  return reader.finish();
}

ApiSettings readAdministrators(const std::string& rootPosix, const PrivilegeNames& offered,
                               std::vector<std::string>* warnings) {
  const std::string path = rootPosix + "/" + kAdministratorsFileName;
  checkSecretMode(path, "the administrators file",
                  "whoever can write it can make themselves an administrator", warnings);
  bool exists = false;
  std::string text;
  try {
    text = readFile(path, exists);
  } catch (const std::runtime_error& error) {
    throw AdministratorsFileError(error.what());
  }
  ApiSettings settings = exists ? parseAdministrators(text, path, offered) : ApiSettings{};
  auto fromRoot = [&rootPosix](std::string& file) {
    if (!file.empty() && file.front() != '/') file = rootPosix + "/" + file;
  };
  fromRoot(settings.certificatePath);
  fromRoot(settings.keyPath);
  if (!settings.keyPath.empty()) {
    checkSecretMode(settings.keyPath, "the TLS key",
                    "whoever can write it can put in a key of their own", warnings);
  }
  return settings;
}

QByteArray newToken() {
  quint32 words[8];
  QRandomGenerator::system()->fillRange(words);
  return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

QByteArray tokenHash(QByteArrayView token) {
  return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

bool constantTimeEqual(QByteArrayView a, QByteArrayView b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (qsizetype i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

const Administrator* findByToken(const std::vector<Administrator>& administrators,
                                 QByteArrayView token) {
  const QByteArray hash = tokenHash(token);
  const Administrator* found = nullptr;
  for (const Administrator& admin : administrators) {
    if (constantTimeEqual(hash, admin.tokenSha256) && found == nullptr) found = &admin;
  }
  return found;
}

AddedAdministrator addAdministrator(const std::string& rootPosix, const std::string& name,
                                    const std::set<std::string>& privileges,
                                    const std::optional<std::set<int32_t>>& profiles,
                                    const PrivilegeNames& offered) {
  if (std::string problem = nameProblem(name); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  const std::string path = rootPosix + "/" + kAdministratorsFileName;
  bool exists = false;
  const std::string old = readFile(path, exists);
  // The file must be usable before it is changed; its own errors name the line.
  if (exists) parseAdministrators(old, path, offered);

  AddedAdministrator added{newToken(), false};
  std::string text = exists ? withoutEntry(old, name, added.replaced) : kNewFileHead;
  text += entryText(name, tokenHash(added.token), privileges, profiles);
  replaceFile(path, text);
  return added;
}

}  // namespace rotaryn::host::api
