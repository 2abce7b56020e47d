#include "store/autoload.h"

#include <cctype>
#include <optional>
#include <set>
#include <string>

#include "catalogue/map_files.h"
#include "errors/error_report.h"
#include "memory/last_settings.h"
#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "memory/server_rotation.h"
#include "memory/update_maps.h"
#include "platform/ini_file.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr const char* kSection = "Maps";

void coverProfile(Module& module, int32_t profile) {
  if (profile < 0) raiseVbError(vberr::kSubscriptOutOfRange);
  if (module.AutoloadDone.size() <= static_cast<size_t>(profile)) {
    module.AutoloadDone.resize(static_cast<size_t>(profile) + 1, 0);
  }
}

std::string limitOrDefault(const std::string& value, const char* fallback) {
  const std::optional<double> number = vb::parseNumber(value);
  return number && *number >= 1 ? value : fallback;
}

// The indices of the "mapN" keys the section holds, N written as a whole number. Keys that are
// absent read as empty and are skipped, so visiting only these is the same as counting up to
// "mapcount", without walking two billion missing keys for a hostile count.
std::set<int64_t> mapKeyIndices(const IniFile& ini, const std::string& path) {
  std::set<int64_t> indices;
  for (const std::string& line : ini.sectionLines(path, kSection)) {
    const std::string key = vb::Trim(line.substr(0, line.find('=')));
    if (key.size() < 4 || key.size() > 13 || vb::LCase(key.substr(0, 3)) != "map") continue;
    const std::string digits = key.substr(3);
    if (digits.size() > 1 && digits[0] == '0') continue;
    bool allDigits = true;
    for (char c : digits) allDigits = allDigits && std::isdigit(static_cast<unsigned char>(c));
    if (allDigits) indices.insert(std::stoll(digits));
  }
  return indices;
}

}  // namespace

void AutoLoadMap(Module& module, int32_t profile, bool force) {
  ErrorTrap trap = module.trap("AutoLoadMap", profile);
  trap.run([&] {
    trap.at(1);
    if (module.AutoloadDone.empty()) module.AutoloadDone.resize(1, 0);
    FileSystem& files = module.ports.files;
    const std::string folder = module.profile(profile).ProfileFolder;

    trap.at(2);
    const std::string marker = module.RootFolder + "\\settings\\noautoload_" + folder + ".asf";
    if (files.FileExists(marker)) {
      coverProfile(module, profile);
      module.AutoloadDone[static_cast<size_t>(profile)] = 1;
      GetMapList(module, profile);
      trap.at(3);
      files.DeleteFile(marker, true);
      return;
    }

    trap.at(4);
    module.currentList = CurrentListTables{};
    coverProfile(module, profile);
    if (module.AutoloadDone[static_cast<size_t>(profile)] == 1 && !force) {
      GetMapList(module, profile);
      return;
    }

    trap.at(5);
    const std::string path = LastSettings(module, profile, LastSettings::Failures::kLogged).path();
    if (!files.FileExists(path)) {
      GetMapList(module, profile);
      return;
    }

    trap.at(6);
    IniFile ini(files, iniFailureLog(module));
    const std::string dm = limitOrDefault(ini.read(path, kSection, "dmScore"), kDefaultKillScore);
    const std::string tk = limitOrDefault(ini.read(path, kSection, "tkScore"), kDefaultKothScore);
    const std::string fb =
        limitOrDefault(ini.read(path, kSection, "fbScore"), kDefaultFlagballScore);

    trap.at(7);
    if (hasScoreLimitFields(module, profile)) {
      const int32_t koth = vb::CLng(Variant(tk));
      const int32_t kills = vb::CLng(Variant(dm));
      const int32_t gameScore = vb::CLng(Variant(fb));
      writeLong(module, profile, "CKothLimit", koth);
      writeLong(module, profile, "CMaxKills", kills);
      writeLong(module, profile, "CGameScore", gameScore);
      // Update Maps records the limit boxes in lastsettings.ini: they must show what was just
      // restored, or the next start would restore whatever the boxes held before.
      if (module.window && module.CurrentProfile == profile) {
        module.window->txtTkoth.text = std::to_string(koth);
        module.window->txtTdm.text = std::to_string(kills);
        module.window->txtFb.text = std::to_string(gameScore);
      }
    }

    trap.at(8);
    // "mapcount" is the last index, compared as the number it is: 1.5 stops after map1.
    const std::optional<double> count = vb::parseNumber(ini.read(path, kSection, "mapcount"));
    const double last = count.value_or(0);

    trap.at(9);
    CurrentListTables& list = module.currentList;
    long loaded = 0;
    for (int64_t i : mapKeyIndices(ini, path)) {
      if (static_cast<double>(i) > last) break;
      const std::vector<std::string> fields =
          vb::Split(ini.read(path, kSection, "map" + std::to_string(i)), "[-]");
      if (fields.size() != 3) continue;
      const std::string file = vb::Trim(fields[2]);
      const std::string& type = fields[0];
      const bool custom = fields[1] == "1";
      const std::string name = FindMapName(module, file, type, custom);
      if (name.empty()) continue;
      const std::string key = std::to_string(list.CurrentMapNames.count());
      list.CurrentMapNames.add(key, name);
      list.CurrentMapFiles.add(key, file);
      list.CurrentMapCustom.add(key, custom ? "1" : "0");
      list.CurrentMapTypes.add(key, type);
      ++loaded;
    }

    trap.at(10);
    if (loaded > 0) {
      if (module.window) module.window->FillCurrentGrid();
      cmdUpdateProc_Click(module, true);
    } else {
      GetMapList(module, profile);
    }

    trap.at(11);
    module.AutoloadDone[static_cast<size_t>(profile)] = 1;
  });
}

}  // namespace rotaryn
