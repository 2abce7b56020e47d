#include "remote/get_maps_rem.h"

#include <set>
#include <vector>

#include "catalogue/map_files.h"
#include "catalogue/stock_catalogue.h"
#include "errors/error_report.h"
#include "formats/exchange_codec.h"
#include "formats/server_builds.h"
#include "memory/server_fields.h"
#include "memory/server_rotation.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/profiles.h"
#include "store/maps_ini.h"
#include "store/profile_paths.h"
#include "store/task_file.h"

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

// A catalogue or rotation row as the exchange carries it; rows without a name are left out.
void addLine(std::vector<formats::exchange::MapLine>& lines, const std::string& name,
             const std::string& file, const std::string& type, bool custom) {
  if (name.empty()) return;
  lines.push_back({name, file, vb::CLng(Variant(type)), custom});
}

// The kill, game-score and king-of-the-hill limits an answer shows.
struct Limits {
  int32_t koth = 0;
  int32_t kills = 0;
  int32_t gameScore = 0;
};

Limits limitsOf(Module& module, int32_t index) {
  Limits limits;
  limits.kills = limitOf(module, index, "CMaxKills", "MaxKills");
  limits.gameScore = limitOf(module, index, "CGameScore", "MaxKills");
  limits.koth = limitOf(module, index, "CKothLimit", "KothLimit");
  return limits;
}

// The loaded catalogue's rows, stock then custom, and the server's rotation. A custom map that
// bears a stock map's name travels as a stock one.
void addCatalogueAndRotation(Module& module, int32_t index, formats::exchange::MapsAnswer& answer) {
  const CatalogueTables& catalogue = module.catalogue;
  std::set<std::string> stockNames;
  for (long i = 1; i <= catalogue.stock.count(); ++i) {
    const std::string& name = catalogue.stock.item(i).name;
    stockNames.insert(name);
    addLine(answer.catalogue, name, catalogue.stock.item(i).file, catalogue.stock.item(i).type,
            false);
  }
  for (long i = 1; i <= catalogue.custom.count(); ++i) {
    addLine(answer.catalogue, catalogue.custom.item(i).name, catalogue.custom.item(i).file,
            catalogue.custom.item(i).type, true);
  }
  GetMapList(module, index);
  const CurrentListTables& current = module.currentList;
  for (long i = 1; i <= current.maps.count(); ++i) {
    const std::string& name = current.maps.item(i).name;
    addLine(answer.rotation, name, current.maps.item(i).file, current.maps.item(i).type,
            stockNames.count(name) == 0);
  }
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
  // One read of the file: a call of GetMapsRem lists every task.
  std::vector<IniFile::Section> sections = readTaskSections(module, taskFile);
  std::vector<formats::exchange::Task> tasks;
  if (sections.size() <= 1) return "";
  for (IniFile::Section& section : sections) {
    if (vb::Trim(section.name).empty()) continue;
    if (section.lines.size() < 2) continue;
    tasks.push_back({std::move(section.name), std::move(section.lines)});
  }
  return formats::exchange::tasksText(tasks);
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
      result = formats::exchange::kFailedAnswer;
      return;
    }
    trap.at(4);
    const auto [autoload, displayTime] = mapsIniSettings(module, profile.ProfileFolder);
    trap.at(5);
    setExtendedCatalogue(module, Index);
    trap.at(6);
    std::string playing = readText(module, Index, "CurMap");
    trap.at(7);
    writeLong(module, Index, "MaxMaps", formats::rotation::kMaxRotation);
    const int32_t mapLimit = readLong(module, Index, "MaxMaps");
    trap.at(8);
    const Limits limits = profile.IsAffiliate ? Limits{} : limitsOf(module, Index);
    trap.at(9);
    // The name travels in base 64; a blank one as nothing.
    const formats::exchange::Encode enc64 = [&module](const std::string& text) {
      return module.memory().Enc64(text);
    };
    formats::exchange::MapsAnswer answer;
    answer.settings = {autoload,    displayTime,  vb::Trim(playing).empty() ? "" : playing,
                       limits.koth, limits.kills, limits.gameScore,
                       mapLimit};
    const std::string settings = formats::exchange::settingsSection(answer.settings, enc64);

    trap.at(10);
    LoadCatalogue(module, module.ExtendedCatalogue);
    trap.at(11);
    addCatalogueAndRotation(module, Index, answer);

    trap.at(12);
    TempFile temp(module.ports.files, tempFile);
    IUtility& utility = module.utility();
    std::vector<std::string> lines = formats::exchange::mapLines(answer, enc64);
    utility.WriteFile(temp.path(), lines);
    const std::string maps = vb::Join(utility.ReadFile(temp.path()), "\r\n");

    trap.at(13);
    const std::string body = formats::exchange::joinMapsBody(settings, maps, tasks);
    trap.at(14);
    result = formats::exchange::lengthPrefixed(body, [&utility](const std::string& text) {
      std::string copy = text;
      return utility.CompressString(copy);
    });
  });
  return result;
}

}  // namespace rotaryn
