// The host's administrators.ini over any text. What it accepts holds usable entries (a valid
// name, a 32-byte token hash, at least one known privilege, profiles from 1) and reads back the
// same when written out again in the file's own form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "described_plugin.h"
#include "host/api/administrators.h"

namespace {

using namespace rotaryn::host::api;

std::string written(const ApiSettings& settings) {
  std::string text = "[API]\nListen = ";
  const std::string& host = settings.listen.host;
  const bool bracketed = host.find(':') != std::string::npos ||
                         (host.size() >= 2 && host.front() == '[' && host.back() == ']');
  text += (bracketed ? "[" + host + "]" : host) + ":" + std::to_string(settings.listen.port) + "\n";
  if (!settings.certificatePath.empty()) {
    text += "Certificate = " + settings.certificatePath + "\nKey = " + settings.keyPath + "\n";
  }
  const auto& limits = settings.limits;
  text += "BodyLimit = " + std::to_string(limits.bodyLimit) +
          "\nMaxConnections = " + std::to_string(limits.maxConnections) +
          "\nMaxConnectionsPerAddress = " + std::to_string(limits.maxConnectionsPerPeer) +
          "\nHeadTimeout = " + std::to_string(limits.headTimeoutMs / 1000) +
          "\nMinBodyRate = " + std::to_string(limits.minBodyRate) +
          "\nKeepAliveTimeout = " + std::to_string(limits.keepAliveIdleMs / 1000) + "\n";
  for (const Administrator& admin : settings.administrators) {
    text += "[Administrator " + admin.name +
            "]\nToken = sha256:" + admin.tokenSha256.toHex().toStdString() + "\nPrivileges = ";
    for (const std::string& privilege : admin.privileges) text += privilege + ",";
    text += "\n";
    if (admin.profiles) {
      text += "Profiles = ";
      for (int32_t index : *admin.profiles) text += std::to_string(index) + ",";
      text += "\n";
    }
  }
  return text;
}

bool same(const ApiSettings& a, const ApiSettings& b) {
  if (a.listen.host != b.listen.host || a.listen.port != b.listen.port ||
      a.certificatePath != b.certificatePath || a.keyPath != b.keyPath ||
      a.limits.bodyLimit != b.limits.bodyLimit ||
      a.limits.maxConnections != b.limits.maxConnections ||
      a.limits.maxConnectionsPerPeer != b.limits.maxConnectionsPerPeer ||
      a.limits.headTimeoutMs != b.limits.headTimeoutMs ||
      a.limits.minBodyRate != b.limits.minBodyRate ||
      a.limits.keepAliveIdleMs != b.limits.keepAliveIdleMs ||
      a.administrators.size() != b.administrators.size()) {
    return false;
  }
  for (size_t i = 0; i < a.administrators.size(); ++i) {
    const Administrator& x = a.administrators[i];
    const Administrator& y = b.administrators[i];
    if (x.name != y.name || x.tokenSha256 != y.tokenSha256 || x.privileges != y.privileges ||
        x.profiles != y.profiles) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ApiSettings settings;
  try {
    settings = parseAdministrators(text, "administrators.ini", describedPlugin().privileges);
  } catch (const AdministratorsFileError&) {
    return 0;
  }
  if (settings.limits.bodyLimit == 0 || settings.limits.minBodyRate == 0 ||
      settings.limits.maxConnections < 1 || settings.limits.headTimeoutMs < 1000 ||
      settings.certificatePath.empty() != settings.keyPath.empty()) {
    std::abort();
  }
  for (const Administrator& admin : settings.administrators) {
    if (!nameProblem(admin.name).empty() || admin.tokenSha256.size() != 32 ||
        admin.privileges.empty() || (admin.profiles && admin.profiles->empty())) {
      std::abort();
    }
    if (admin.profiles && *admin.profiles->begin() < 1) std::abort();
  }
  ApiSettings reread;
  try {
    reread = parseAdministrators(written(settings), "again.ini", describedPlugin().privileges);
  } catch (const AdministratorsFileError&) {
    std::abort();
  }
  if (!same(settings, reread)) std::abort();
  return 0;
}
