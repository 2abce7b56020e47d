#include "host/pdat.h"

#include "platform/adapters/windows_file_system.h"

namespace rotaryn::host {

Variant buildPdat(const ProfileConfig& profile, int32_t serverPid, const HostConfig& host,
                  const std::string& adminName) {
  std::string gameFolder = WindowsFileSystem::toWindowsPath(profile.gameFolderPosix);
  if (gameFolder.empty() || gameFolder.back() != '\\') gameFolder += '\\';
  Variant::Array pdat(kPdatElements);
  pdat[0] = Variant(profile.hostTexts[0]);
  pdat[1] = Variant(profile.serverType);
  pdat[2] = Variant(serverPid);
  pdat[3] = Variant(profile.hostTexts[1]);
  pdat[4] = Variant(profile.hostTexts[2]);
  pdat[5] = Variant(gameFolder);
  pdat[6] = Variant(profile.messageTarget.value_or(serverPid));
  pdat[7] = Variant(profile.profileFolder);
  pdat[8] = Variant(std::string());
  pdat[9] = Variant(std::string());
  pdat[10] = Variant(adminName);
  // A VB host passes its Boolean: True is -1.
  pdat[11] = Variant(static_cast<int16_t>(profile.sharedAdminLog ? -1 : 0));
  pdat[12] = Variant(host.areaHeightTwips);
  pdat[13] = Variant(host.areaWidthTwips);
  return Variant(std::move(pdat));
}

}  // namespace rotaryn::host
