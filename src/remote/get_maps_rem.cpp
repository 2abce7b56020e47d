#include "remote/get_maps_rem.h"

#include <set>
#include <vector>

#include "catalogue/map_files.h"
#include "catalogue/stock_catalogue.h"
#include "errors/error_report.h"
#include "exchange/exchange_codec.h"
#include "memory/server_fields.h"
#include "memory/server_rotation.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/profiles.h"
#include "store/maps_ini.h"
#include "store/profile_paths.h"

namespace rotaryn {
namespace {

// The profile's two settings from Plugins\Maps.ini, as the tool expects them: autoload "1" or
// "0", display time "0".."9" (compared as text); both empty without the file.
std::pair<std::string, std::string> mapsIniSettings(Module& module, const std::string& folder) {
  const MapsIni settings(module);
  if (!settings.exists()) return {};
  std::string autoload = settings.autoload(folder);
  if (autoload != "1" && autoload != "0") autoload = "0";
  std::string displayTime = settings.displayTime(folder);
  if (!(displayTime >= "0" && displayTime <= "9")) displayTime = "9";
  return {vb::Trim(autoload), vb::Trim(displayTime)};
}

// A configured limit, or the server's own when none is configured.
int32_t limitOf(Module& module, int32_t index, const char* configured, const char* server) {
  const int32_t value = readLong(module, index, configured);
  return value != 0 ? value : readLong(module, index, server);
}

void addLine(Module& module, std::vector<std::string>& lines, const std::string& name,
             const std::string& file, const std::string& type, const char* custom) {
  if (name.empty()) return;
  const char bar = exchange::kEntrySeparator;
  lines.push_back(module.memory().Enc64(name) + bar + file + bar + type + bar + custom);
}

// Deletes the temporary file however the call ends.
class TempFile {
 public:
  TempFile(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
  ~TempFile() {
    try {
      if (files_.FileExists(path_)) files_.DeleteFile(path_, true);
    } catch (const VbError&) {
      // Left behind only when the system refuses; the next call replaces it.
    }
  }
  const std::string& path() const { return path_; }

 private:
  FileSystem& files_;
  std::string path_;
};

}  // namespace

std::string remoteTasksText(Module& module, const std::string& taskFile) {
  if (!module.ports.files.FileExists(taskFile)) return "";
  IUtility& utility = module.utility();
  std::string path = taskFile;
  const std::vector<std::string> sections = utility.GetAllIniSections(path);
  std::string text;
  if (sections.size() <= 1) return text;
  for (const std::string& section : sections) {
    if (vb::Trim(section).empty()) continue;
    const std::vector<std::string> lines = utility.GetIniSection(section, path);
    if (lines.size() < 2) continue;
    if (!text.empty()) text += exchange::kEntrySeparator;
    text += section + exchange::kFieldSeparator +
            vb::Join(lines, std::string(1, exchange::kFieldSeparator));
  }
  return text;
}

std::string GetMapsRem(Module& module, int32_t Index, const Variant& PDAT, const Variant&) {
  ErrorTrap trap = module.trap("GetMapsRem", Index);
  std::string result;
  trap.run([&] {
    trap.at(1);
    RegisterProfile(module, Index, PDAT);
    const ProfileRecord profile = module.profile(Index);
    const std::string tempFile = remoteMapListTempFileOf(module, Index);
    std::string tasks = remoteTasksText(module, taskFileOf(module, Index));
    if (!tasks.empty()) tasks = module.memory().Enc64(tasks);

    trap.at(3);
    if (readLong(module, Index, "GameState") < 1) {
      result = exchange::kFailedAnswer;
      return;
    }
    trap.at(4);
    const auto [autoload, displayTime] = mapsIniSettings(module, profile.ProfileFolder);
    trap.at(5);
    setExtendedCatalogue(module, Index);
    trap.at(6);
    std::string playing = readText(module, Index, "CurMap");
    trap.at(7);
    writeLong(module, Index, "MaxMaps", 255);
    const int32_t mapLimit = readLong(module, Index, "MaxMaps");
    trap.at(8);
    int32_t koth = 0, kills = 0, gameScore = 0;
    if (!profile.IsAffiliate) {
      kills = limitOf(module, Index, "CMaxKills", "MaxKills");
      gameScore = limitOf(module, Index, "CGameScore", "MaxKills");
      koth = limitOf(module, Index, "CKothLimit", "KothLimit");
    }
    trap.at(9);
    if (!vb::Trim(playing).empty()) playing = module.memory().Enc64(playing);
    const char sep = exchange::kFieldSeparator;
    const std::string settings = autoload + sep + displayTime + sep + playing + sep +
                                 std::to_string(koth) + sep + std::to_string(kills) + sep +
                                 std::to_string(gameScore) + sep + std::to_string(mapLimit);

    trap.at(10);
    LoadCatalogue(module, module.ExtendedCatalogue);
    trap.at(11);
    const CatalogueTables& catalogue = module.catalogue;
    std::vector<std::string> lines;
    std::set<std::string> stockNames;
    for (long i = 1; i <= catalogue.StockMapNames.count(); ++i) {
      const std::string& name = catalogue.StockMapNames.item(i);
      stockNames.insert(name);
      addLine(module, lines, name, catalogue.StockMapFiles.item(i), catalogue.StockMapTypes.item(i),
              "0");
    }
    for (long i = 1; i <= catalogue.CustomMapNames.count(); ++i) {
      addLine(module, lines, catalogue.CustomMapNames.item(i), catalogue.CustomMapFiles.item(i),
              catalogue.CustomMapTypes.item(i), "1");
    }
    lines.emplace_back(exchange::kCurrentMapsMarker);
    GetMapList(module, Index);
    const CurrentListTables& current = module.currentList;
    for (long i = 1; i <= current.CurrentMapNames.count(); ++i) {
      const std::string& name = current.CurrentMapNames.item(i);
      // A custom map that bears a stock map's name travels as a stock one.
      addLine(module, lines, name, current.CurrentMapFiles.item(i), current.CurrentMapTypes.item(i),
              stockNames.count(name) ? "0" : "1");
    }

    trap.at(12);
    TempFile temp(module.ports.files, tempFile);
    IUtility& utility = module.utility();
    utility.WriteFile(temp.path(), lines);
    const std::string maps = vb::Join(utility.ReadFile(temp.path()), "\r\n");

    trap.at(13);
    std::string body = settings + std::string(exchange::kSectionSeparator) + maps +
                       std::string(exchange::kSectionSeparator) + tasks;
    trap.at(14);
    result = std::to_string(body.size()) + std::string(exchange::kLengthMarker) +
             utility.CompressString(body);
  });
  return result;
}

}  // namespace rotaryn
