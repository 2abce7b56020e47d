#include "store/map_settings.h"

#include <string>
#include <utility>
#include <vector>

#include "errors/error_report.h"
#include "memory/last_settings.h"
#include "platform/ini_file.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/admin_log.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr const char* kChangeAutoload = "Change Autoload Setting";
constexpr const char* kChangeDisplayTimer = "Change Display Timer";
constexpr const char* kNewValue = "New Value";

std::string mapsIni(const Module& module) {
  return module.RootFolder + kMapsIniName;
}

frmRotarynMaps& windowOf(Module& module) {
  if (!module.window) raiseVbError(vberr::kObjectNotSet);
  return *module.window;
}

// One Maps.ini key of a profile. The INI functions' own rule holds: a refused write changes
// nothing and is logged, never raised.
void writeProfileSetting(Module& module, int32_t index, const char* section,
                         const std::string& value) {
  const std::string folder = module.profile(index).ProfileFolder;
  IniFile(module.ports.files, iniFailureLog(module)).write(mapsIni(module), section, folder, value);
}

}  // namespace

void saveAutoload(Module& module, int32_t index, int value) {
  writeProfileSetting(module, index, "Autoload", std::to_string(value));
}

void saveDisplayTime(Module& module, int32_t index, int position) {
  writeProfileSetting(module, index, "DisplayTime", std::to_string(position));
}

int32_t SetAutoLoad(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  const std::string value = vb::CStr(Data);
  writeProfileSetting(module, Index, "Autoload", value);
  AdminLog(module, PDAT, adminLogText(kChangeAutoload, kNewValue, value));
  return 0;
}

int32_t SetDisplayTimer(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  writeProfileSetting(module, Index, "DisplayTime", vb::CStr(Data));
  const int64_t seconds = static_cast<int64_t>(vb::CLng(Data)) * 5;
  AdminLog(module, PDAT, adminLogText(kChangeDisplayTimer, kNewValue, std::to_string(seconds)));
  return 0;
}

void SaveMapSettings(Module& module, int32_t Index) {
  const frmRotarynMaps& window = windowOf(module);
  const std::string path = module.RootFolder + "\\profiles\\" +
                           module.profile(Index).ProfileFolder +
                           "\\settings\\lastknownsettings.ini";
  const ScoreLimitTexts limits = window.shownScoreLimits();
  const std::vector<RotationRow> rows = window.currentRows();
  std::vector<std::pair<std::string, std::string>> values{
      {"tkScore", limits.koth},
      {"dmScore", limits.kills},
      {"fbScore", limits.flagball},
      {"mapcount", std::to_string(static_cast<long>(rows.size()) - 1)},
  };
  for (size_t row = 0; row < rows.size(); ++row) {
    values.emplace_back("map" + std::to_string(row),
                        rotationEntryText(std::to_string(rows[row].type),
                                          rows[row].custom ? "1" : "0", rows[row].file));
  }
  // The whole file in one replace: a crash leaves the old file or the new one, never half.
  IniFile(module.ports.files, iniFailureLog(module)).write(path, "Maps", values);
}

}  // namespace rotaryn
