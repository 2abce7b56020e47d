#include "memory/last_settings.h"

#include <optional>
#include <utility>

#include "errors/error_report.h"
#include "platform/file_system.h"
#include "platform/ini_file.h"
#include "platform/vb_error.h"
#include "plugin/module.h"

namespace rotaryn {

namespace {
constexpr const char* kMapsSection = "Maps";
constexpr const char* kEntrySeparator = "[-]";
}  // namespace

LastSettings::LastSettings(Module& module, int32_t index, Failures failures)
    : module_(module), failures_(failures) {
  folder_ = module.RootFolder + "\\profiles\\" + module.profile(index).ProfileFolder + "\\settings";
  path_ = folder_ + "\\lastsettings.ini";
}

LastSettings::~LastSettings() = default;

void LastSettings::createFolderIfMissing() {
  FileSystem& files = module_.ports.files;
  if (!files.FolderExists(folder_)) files.CreateFolder(folder_);
}

void LastSettings::writeLimits(const std::string& tkScore, const std::string& dmScore,
                               const std::string& fbScore) {
  write("tkScore", tkScore);
  write("dmScore", dmScore);
  write("fbScore", fbScore);
}

void LastSettings::writeMapCount(int32_t lastIndex) {
  write("mapcount", std::to_string(lastIndex));
}

void LastSettings::writeMap(int32_t index, const std::string& entry) {
  write("map" + std::to_string(index), entry);
}

void LastSettings::gather() {
  gathering_ = true;
}

void LastSettings::flush() {
  gathering_ = false;
  std::vector<std::pair<std::string, std::string>> values = std::move(pending_);
  pending_.clear();
  if (!values.empty()) write(values);
}

void LastSettings::write(const std::string& key, const std::string& value) {
  if (gathering_) {
    pending_.emplace_back(key, value);
    return;
  }
  write({{key, value}});
}

void LastSettings::write(const std::vector<std::pair<std::string, std::string>>& values) {
  FileSystem& files = module_.ports.files;
  if (failures_ == Failures::kLogged) {
    IniFile(files, iniFailureLog(module_)).write(path_, kMapsSection, values);
    return;
  }
  std::optional<VbError> refused;
  IniFile ini(files, [&refused](const IniWriteFailure& failure) { refused = failure.reason; });
  if (!ini.write(path_, kMapsSection, values)) {
    throw refused.value_or(VbError(vberr::kPathFileAccess, "Path/File access error: " + path_));
  }
}

std::string rotationEntryText(const std::string& type, const std::string& custom,
                              const std::string& file) {
  return type + kEntrySeparator + custom + kEntrySeparator + file;
}

}  // namespace rotaryn
