// host.ini over any text. What it accepts is written out again as host.ini and read back to the
// same configuration, and every profile's PDAT carries its texts and game folder so that the
// plug-in, decoding the UTF-8 it gets, sees them as host.ini gave them.
#include <QJsonArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "host/config/host_config.h"
#include "host/config/pdat.h"
#include "host/host_text.h"

namespace {

using namespace rotaryn::host;

const std::string kRoot = "/nonexistent/fuzz-root";

// One argument as splitArguments reads it back.
std::string quoted(const std::string& word) {
  std::string out = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A system (UTF-8) name as host.ini spells it; nullopt when the code page cannot.
std::optional<std::string> windowsName(const std::string& utf8) {
  try {
    return toWindows1252(QString::fromStdString(utf8));
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  }
}

// The configuration as host.ini; nullopt when a name cannot be written back.
std::optional<std::string> written(const HostConfig& config) {
  std::string text = "[Host]\nAreaWidth = " + std::to_string(config.areaWidthTwips) +
                     "\nAreaHeight = " + std::to_string(config.areaHeightTwips) + "\n";
  if (!config.simulator.empty()) {
    auto simulator = windowsName(config.simulator);
    if (!simulator) return std::nullopt;
    text += "Simulator = " + *simulator + "\n";
  }
  for (const ProfileConfig& profile : config.profiles) {
    auto folder = windowsName(profile.gameFolderPosix);
    if (!folder) return std::nullopt;
    text += "[Profile " + std::to_string(profile.index) + "]\n";
    text += "ServerType = " + profile.serverType + "\n";
    std::string server;
    switch (profile.server.kind) {
      case ServerSource::Kind::kSimulated:
        server = "simulated";
        break;
      case ServerSource::Kind::kPid:
        server = "pid " + std::to_string(profile.server.pid);
        break;
      case ServerSource::Kind::kCommand:
        server = "command";
        break;
      case ServerSource::Kind::kFind:
        server = "find " + quoted(profile.server.windowsProgram);
        break;
    }
    for (const std::string& argument : profile.server.arguments) server += " " + quoted(argument);
    text += "Server = " + server + "\n";
    text += "GameFolder = " + *folder + "\n";
    text += "ProfileFolder = " + profile.profileFolder + "\n";
    text += "MessageTarget = " +
            (profile.messageTarget ? std::to_string(*profile.messageTarget) : "server") + "\n";
    text += "HostText0 = " + profile.hostTexts[0] + "\nHostText3 = " + profile.hostTexts[1] +
            "\nHostText4 = " + profile.hostTexts[2] + "\n";
    text += std::string("SharedAdminLog = ") + (profile.sharedAdminLog ? "yes" : "no") + "\n";
    text += std::string("Delivery = ") +
            (profile.delivery == CommandDelivery::kNone ? "none" : "mailbox") + "\n";
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "%.17g", profile.startupSeconds);
    text += std::string("StartupSeconds = ") + seconds + "\n";
  }
  return text;
}

bool same(const ProfileConfig& a, const ProfileConfig& b) {
  return a.index == b.index && a.serverType == b.serverType && a.server.kind == b.server.kind &&
         a.server.arguments == b.server.arguments && a.server.pid == b.server.pid &&
         a.server.build == b.server.build && a.server.windowsProgram == b.server.windowsProgram &&
         a.gameFolderPosix == b.gameFolderPosix && a.profileFolder == b.profileFolder &&
         a.messageTarget == b.messageTarget && a.hostTexts == b.hostTexts &&
         a.sharedAdminLog == b.sharedAdminLog && a.delivery == b.delivery &&
         a.startupSeconds == b.startupSeconds;
}

void checkPdat(const ProfileConfig& profile, const HostConfig& config) {
  const int32_t pid = 4242;
  const QJsonArray pdat = buildPdat(profile, pid, config, "admin");
  if (pdat.size() != kPdatElements) std::abort();
  // The texts the plug-in decodes from the UTF-8 it is given.
  auto text = [&pdat](int element) { return pdat.at(element).toString(); };
  if (text(0) != fromWindows1252(profile.hostTexts[0]) ||
      text(1) != fromWindows1252(profile.serverType) ||
      text(3) != fromWindows1252(profile.hostTexts[1]) ||
      text(4) != fromWindows1252(profile.hostTexts[2]) ||
      text(7) != fromWindows1252(profile.profileFolder) || text(10) != "admin") {
    std::abort();
  }
  // The game folder is the system's (UTF-8) folder in its Windows form.
  const QString folder = "C:" + QString::fromStdString(profile.gameFolderPosix).replace('/', '\\');
  if (text(5) != folder) std::abort();
  if (pdat.at(2).toInt() != pid || pdat.at(6).toInt() != profile.messageTarget.value_or(pid) ||
      pdat.at(11).toInt() != (profile.sharedAdminLog ? -1 : 0) ||
      pdat.at(12).toInt() != config.areaHeightTwips ||
      pdat.at(13).toInt() != config.areaWidthTwips) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  HostConfig config;
  try {
    config = parseHostConfig(text, "host.ini", kRoot);
  } catch (const HostConfigError& error) {
    if (error.line() < 0 || error.reason().empty()) std::abort();
    return 0;
  }
  int32_t previous = 0;
  for (const ProfileConfig& profile : config.profiles) {
    if (profile.index <= previous || profile.profileFolder.empty() ||
        profile.gameFolderPosix.empty() || profile.gameFolderPosix.front() != '/' ||
        profile.gameFolderPosix.back() != '/') {
      std::abort();
    }
    previous = profile.index;
    checkPdat(profile, config);
  }
  const std::optional<std::string> again = written(config);
  if (!again) return 0;
  HostConfig reread;
  try {
    reread = parseHostConfig(*again, "again.ini", kRoot);
  } catch (const HostConfigError& error) {
    std::fprintf(stderr, "written back: %s\n%s\n", error.what(), again->c_str());
    std::abort();
  }
  if (reread.areaWidthTwips != config.areaWidthTwips ||
      reread.areaHeightTwips != config.areaHeightTwips || reread.simulator != config.simulator ||
      reread.profiles.size() != config.profiles.size()) {
    std::abort();
  }
  for (size_t i = 0; i < config.profiles.size(); ++i) {
    if (!same(config.profiles[i], reread.profiles[i])) std::abort();
  }
  return 0;
}
