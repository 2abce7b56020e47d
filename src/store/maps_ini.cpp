#include "store/maps_ini.h"

#include "errors/error_report.h"
#include "plugin/module.h"
#include "store/profile_paths.h"

namespace rotaryn {
namespace {

constexpr const char* kAutoload = "Autoload";
constexpr const char* kDisplayTime = "DisplayTime";

}  // namespace

MapsIni::MapsIni(Module& module)
    : module_(module),
      ini_(module.ports.files, iniFailureLog(module)),
      path_(mapsIniPath(module)) {}

bool MapsIni::exists() const {
  return module_.ports.files.FileExists(path_);
}

std::string MapsIni::autoload(const std::string& profileFolder) const {
  return ini_.read(path_, kAutoload, profileFolder);
}

std::string MapsIni::displayTime(const std::string& profileFolder) const {
  return ini_.read(path_, kDisplayTime, profileFolder);
}

void MapsIni::setAutoload(const std::string& profileFolder, const std::string& value) {
  ini_.write(path_, kAutoload, profileFolder, value);
}

void MapsIni::setDisplayTime(const std::string& profileFolder, const std::string& value) {
  ini_.write(path_, kDisplayTime, profileFolder, value);
}

}  // namespace rotaryn
