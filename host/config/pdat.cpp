#include "host/config/pdat.h"

#include "host/host_dialogs.h"
#include "host/host_text.h"

namespace rotaryn::host {

QJsonArray buildPdat(const ProfileConfig& profile, int32_t serverPid, const HostConfig& host,
                     const std::string& adminName) {
  // The folder is the system's name, UTF-8, unlike the texts host.ini gives.
  QString gameFolder = windowsFromPosix(QString::fromStdString(profile.gameFolderPosix));
  if (!gameFolder.endsWith('\\')) gameFolder += '\\';
  return QJsonArray{
      fromWindows1252(profile.hostTexts[0]), fromWindows1252(profile.serverType), serverPid,
      fromWindows1252(profile.hostTexts[1]), fromWindows1252(profile.hostTexts[2]), gameFolder,
      profile.messageTarget.value_or(serverPid), fromWindows1252(profile.profileFolder), QString(),
      QString(), fromWindows1252(adminName),
      // A VB host passes its Boolean: True is -1.
      profile.sharedAdminLog ? -1 : 0, host.areaHeightTwips, host.areaWidthTwips};
}

}  // namespace rotaryn::host
