#include "store/profile_paths.h"

#include "plugin/module.h"

namespace rotaryn {
namespace {

std::string profileFolderNamed(const Module& module, const std::string& folder) {
  return module.RootFolder + "\\profiles\\" + folder;
}

std::string rootSettingsFolder(const Module& module) {
  return module.RootFolder + "\\settings";
}

}  // namespace

std::string mapsIniPath(const Module& module) {
  return module.RootFolder + "\\Plugins\\Maps.ini";
}

std::string profileFolderOf(const Module& module, int32_t index) {
  return profileFolderNamed(module, module.profile(index).ProfileFolder);
}

std::string settingsFolderNamed(const Module& module, const std::string& profileFolder) {
  return profileFolderNamed(module, profileFolder) + "\\settings";
}

std::string taskFileNamed(const Module& module, const std::string& profileFolder) {
  return settingsFolderNamed(module, profileFolder) + "\\MapTasks.ini";
}

std::string settingsFolderOf(const Module& module, int32_t index) {
  return settingsFolderNamed(module, module.profile(index).ProfileFolder);
}

std::string taskFileOf(const Module& module, int32_t index) {
  return taskFileNamed(module, module.profile(index).ProfileFolder);
}

std::string lastSettingsFileOf(const Module& module, int32_t index) {
  return settingsFolderOf(module, index) + "\\lastsettings.ini";
}

std::string lastKnownSettingsFileOf(const Module& module, int32_t index) {
  return settingsFolderOf(module, index) + "\\lastknownsettings.ini";
}

std::string remoteMapListTempFileOf(const Module& module, int32_t index) {
  return profileFolderOf(module, index) + "\\tmpmaplist.txt";
}

std::string noAutoloadMarkerOf(const Module& module, int32_t index) {
  return rootSettingsFolder(module) + "\\noautoload_" + module.profile(index).ProfileFolder +
         ".asf";
}

std::string hostConfigPath(const Module& module) {
  return rootSettingsFolder(module) + "\\config.ini";
}

std::string adminLogFolder(const Module& module, bool shared, const std::string& profileFolder) {
  return (shared ? module.RootFolder : profileFolderNamed(module, profileFolder)) + "\\adminlogs";
}

}  // namespace rotaryn
