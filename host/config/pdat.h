#pragma once

#include <QJsonArray>
#include <cstdint>
#include <string>

#include "host/config/host_config.h"

namespace rotaryn::host {

// The elements of the profile data the host hands the plug-in.
inline constexpr int kPdatElements = 14;

// PDAT for a profile whose server runs as serverPid: 0, 3, 4 the kept host texts; 1 the server
// type; 2 the server process; 5 the game folder (Windows form, ending in "\"); 6 the message
// target; 7 the profile folder; 8, 9 empty; 10 the remote administrator ("" when the call is
// the local user's); 11 -1 when admin logs are shared, else 0; 12, 13 the plug-in area in
// twips.
QJsonArray buildPdat(const ProfileConfig& profile, int32_t serverPid, const HostConfig& host,
                     const std::string& adminName = "");

}  // namespace rotaryn::host
