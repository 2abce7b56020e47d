#pragma once

#include <cstdint>
#include <string>

namespace rotaryn {

struct Module;

// Where the plug-in's files lie under the host's root folder, in the Windows form the file
// system port takes. The one place that spells a folder or file name of the root: every other
// part of the plug-in asks here.

// RootFolder\Plugins\Maps.ini: the per-profile autoload and display-time settings.
std::string mapsIniPath(const Module& module);

// RootFolder\profiles\<ProfileFolder> of profile `index`.
std::string profileFolderOf(const Module& module, int32_t index);

// RootFolder\profiles\<ProfileFolder>\settings: map lists, the task file, the last settings.
std::string settingsFolderOf(const Module& module, int32_t index);

// The same for a profile the host names by its folder (PDAT 7), registered or not.
std::string settingsFolderNamed(const Module& module, const std::string& profileFolder);
std::string taskFileNamed(const Module& module, const std::string& profileFolder);

// The files of the settings folder.
std::string taskFileOf(const Module& module, int32_t index);               // MapTasks.ini
std::string lastSettingsFileOf(const Module& module, int32_t index);       // lastsettings.ini
std::string lastKnownSettingsFileOf(const Module& module, int32_t index);  // lastknownsettings.ini

// The scratch file GetMapsRem passes its map lines through, in the profile's folder.
std::string remoteMapListTempFileOf(const Module& module, int32_t index);

// RootFolder\settings\noautoload_<ProfileFolder>.asf: skips the profile's next autoload.
std::string noAutoloadMarkerOf(const Module& module, int32_t index);

// RootFolder\settings\config.ini: the host's "ReportErrors" switch.
std::string hostConfigPath(const Module& module);

// The admin-log folder: RootFolder\adminlogs when the host keeps one log, else the one of the
// profile folder the host names (RootFolder\profiles\<profileFolder>\adminlogs).
std::string adminLogFolder(const Module& module, bool shared, const std::string& profileFolder);

}  // namespace rotaryn
