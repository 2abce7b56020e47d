#include "store/last_settings.h"

#include <cctype>
#include <optional>
#include <utility>

#include "errors/error_report.h"
#include "platform/file_system.h"
#include "platform/ini_file.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/profile_paths.h"

namespace rotaryn {

namespace {
constexpr const char* kMapsSection = "Maps";
constexpr const char* kTkScore = "tkScore";
constexpr const char* kDmScore = "dmScore";
constexpr const char* kFbScore = "fbScore";
constexpr const char* kMapCount = "mapcount";
constexpr const char* kMapKey = "map";

// "map" and 1 to 10 digits, no leading zero: the whole number N of a "mapN" key, or nothing.
std::optional<int64_t> mapKeyIndex(const std::string& key) {
  if (key.size() < 4 || key.size() > 13 || vb::LCase(key.substr(0, 3)) != kMapKey) {
    return std::nullopt;
  }
  const std::string digits = key.substr(3);
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return std::stoll(digits);
}
}  // namespace

LastSettings::LastSettings(Module& module, int32_t index, Failures failures, File file)
    : module_(module),
      failures_(failures),
      folder_(settingsFolderOf(module, index)),
      path_(file == File::kLastSettings ? lastSettingsFileOf(module, index)
                                        : lastKnownSettingsFileOf(module, index)) {}

LastSettings::~LastSettings() = default;

bool LastSettings::exists() const {
  return module_.ports.files.FileExists(path_);
}

void LastSettings::createFolderIfMissing() {
  FileSystem& files = module_.ports.files;
  if (!files.FolderExists(folder_)) files.CreateFolder(folder_);
}

void LastSettings::writeLimits(const std::string& tkScore, const std::string& dmScore,
                               const std::string& fbScore) {
  write(kTkScore, tkScore);
  write(kDmScore, dmScore);
  write(kFbScore, fbScore);
}

void LastSettings::writeMapCount(int32_t lastIndex) {
  write(kMapCount, std::to_string(lastIndex));
}

void LastSettings::writeMap(int32_t index, const std::string& entry) {
  write(kMapKey + std::to_string(index), entry);
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

std::string LastSettings::dmScore() const {
  return read(kDmScore);
}

std::string LastSettings::tkScore() const {
  return read(kTkScore);
}

std::string LastSettings::fbScore() const {
  return read(kFbScore);
}

std::string LastSettings::mapCount() const {
  return read(kMapCount);
}

std::set<int64_t> LastSettings::mapIndices() const {
  std::set<int64_t> indices;
  const IniFile ini(module_.ports.files, iniFailureLog(module_));
  for (const std::string& line : ini.sectionLines(path_, kMapsSection)) {
    if (const std::optional<int64_t> index =
            mapKeyIndex(vb::Trim(line.substr(0, line.find('='))))) {
      indices.insert(*index);
    }
  }
  return indices;
}

std::optional<formats::RotationEntryFields> LastSettings::map(int64_t index) const {
  return formats::splitRotationEntry(read(kMapKey + std::to_string(index)));
}

std::string LastSettings::read(const std::string& key) const {
  return IniFile(module_.ports.files, iniFailureLog(module_)).read(path_, kMapsSection, key);
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

}  // namespace rotaryn
