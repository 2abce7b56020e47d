#include "store/autoload.h"

#include <optional>
#include <string>

#include "catalogue/map_files.h"
#include "errors/error_report.h"
#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "memory/server_rotation.h"
#include "memory/update_maps.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/last_settings.h"
#include "store/profile_paths.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

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

// The limits the file holds (a default for each one missing or below 1), written into the
// server's configured fields and shown in the window when it shows this profile.
void restoreScoreLimits(Module& module, int32_t profile, const LastSettings& settings,
                        ErrorTrap& trap) {
  trap.at(6);
  const std::string dm = limitOrDefault(settings.dmScore(), kDefaultKillScore);
  const std::string tk = limitOrDefault(settings.tkScore(), kDefaultKothScore);
  const std::string fb = limitOrDefault(settings.fbScore(), kDefaultFlagballScore);

  trap.at(7);
  if (!hasScoreLimitFields(module, profile)) return;
  const int32_t koth = vb::CLng(Variant(tk));
  const int32_t kills = vb::CLng(Variant(dm));
  const int32_t gameScore = vb::CLng(Variant(fb));
  writeLong(module, profile, "CKothLimit", koth);
  writeLong(module, profile, "CMaxKills", kills);
  writeLong(module, profile, "CGameScore", gameScore);
  // Update Maps records the limit boxes in lastsettings.ini: they must show what was just
  // restored, or the next start would restore whatever the boxes held before.
  if (module.window && module.CurrentProfile == profile) {
    module.window->showRestoredLimits(koth, kills, gameScore);
  }
}

// The maps of the file up to "mapcount" that the catalogue knows, appended to the current
// list; how many.
long readSavedMaps(Module& module, const LastSettings& settings, ErrorTrap& trap) {
  trap.at(8);
  // "mapcount" is the last index, compared as the number it is: 1.5 stops after map1.
  const std::optional<double> count = vb::parseNumber(settings.mapCount());
  const double last = count.value_or(0);

  trap.at(9);
  CurrentListTables& list = module.currentList;
  long loaded = 0;
  for (int64_t i : settings.mapIndices()) {
    if (static_cast<double>(i) > last) break;
    const std::optional<formats::RotationEntryFields> entry = settings.map(i);
    if (!entry) continue;
    const std::string& file = entry->file;
    const std::string& type = entry->gameType;
    const bool custom = entry->customFlag == "1";
    const std::string name = FindMapName(module, file, type, custom);
    if (name.empty()) continue;
    list.append({name, file, type, custom ? "1" : "0"});
    ++loaded;
  }
  return loaded;
}

}  // namespace

void AutoLoadMap(Module& module, int32_t profile, bool force) {
  ErrorTrap trap = module.trap("AutoLoadMap", profile);
  trap.run([&] {
    trap.at(1);
    if (module.AutoloadDone.empty()) module.AutoloadDone.resize(1, 0);
    FileSystem& files = module.ports.files;
    const std::string marker = noAutoloadMarkerOf(module, profile);

    trap.at(2);
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
    const LastSettings settings(module, profile, LastSettings::Failures::kLogged);
    if (!settings.exists()) {
      GetMapList(module, profile);
      return;
    }

    restoreScoreLimits(module, profile, settings, trap);
    const long loaded = readSavedMaps(module, settings, trap);

    trap.at(10);
    if (loaded > 0) {
      if (module.window) module.window->FillCurrentGrid();
      // Forced only by a remote administrator's new rotation.
      cmdUpdateProc_Click(module, true, force ? UpdateOrigin::kRemote : UpdateOrigin::kAutoload);
    } else {
      GetMapList(module, profile);
    }

    trap.at(11);
    module.AutoloadDone[static_cast<size_t>(profile)] = 1;
  });
}

}  // namespace rotaryn
