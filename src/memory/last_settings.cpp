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

// One file kept in memory for the INI writer: read from the real file system on first use,
// replaced there only by flush(). Every other path goes straight through.
class GatheredFile final : public FileSystemWrapper {
 public:
  GatheredFile(FileSystem& target, std::string path)
      : FileSystemWrapper(target), path_(std::move(path)) {}

  bool FileExists(const std::string& path) override {
    if (path != path_) return target_.FileExists(path);
    if (!exists_) exists_ = target_.FileExists(path);
    return *exists_;
  }
  std::string ReadAll(const std::string& path) override {
    if (path != path_) return target_.ReadAll(path);
    if (!bytes_) bytes_ = target_.ReadAll(path);
    return *bytes_;
  }
  void ReplaceAll(const std::string& path, const std::string& bytes) override {
    if (path != path_) return target_.ReplaceAll(path, bytes);
    exists_ = true;
    bytes_ = bytes;
    changed_ = true;
  }
  void flush() {
    if (!changed_) return;
    changed_ = false;
    target_.ReplaceAll(path_, *bytes_);
  }

 private:
  std::string path_;
  std::optional<bool> exists_;
  std::optional<std::string> bytes_;
  bool changed_ = false;
};

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
  gathered_ = std::make_unique<GatheredFile>(module_.ports.files, path_);
}

void LastSettings::flush() {
  if (!gathered_) return;
  std::unique_ptr<GatheredFile> gathered = std::move(gathered_);
  try {
    gathered->flush();
  } catch (const VbError& error) {
    if (failures_ == Failures::kRaised) throw;
    iniFailureLog(module_)(IniWriteFailure{path_, error});
  }
}

void LastSettings::write(const std::string& key, const std::string& value) {
  FileSystem& files = gathered_ ? *gathered_ : module_.ports.files;
  if (failures_ == Failures::kLogged) {
    IniFile(files, iniFailureLog(module_)).write(path_, kMapsSection, key, value);
    return;
  }
  std::optional<VbError> refused;
  IniFile ini(files, [&refused](const IniWriteFailure& failure) { refused = failure.reason; });
  if (!ini.write(path_, kMapsSection, key, value)) {
    throw refused.value_or(VbError(vberr::kPathFileAccess, "Path/File access error: " + path_));
  }
}

std::string rotationEntryText(const std::string& type, const std::string& custom,
                              const std::string& file) {
  return type + kEntrySeparator + custom + kEntrySeparator + file;
}

}  // namespace rotaryn
