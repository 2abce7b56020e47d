#include "store/map_settings.h"

#include <string>

#include "errors/error_report.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/admin_log.h"
#include "store/last_settings.h"
#include "store/maps_ini.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr const char* kChangeAutoload = "Change Autoload Setting";
constexpr const char* kChangeDisplayTimer = "Change Display Timer";
constexpr const char* kNewValue = "New Value";

frmRotarynMaps& windowOf(Module& module) {
  if (!module.window) raiseVbError(vberr::kObjectNotSet);
  return *module.window;
}

const std::string& folderOf(const Module& module, int32_t index) {
  return module.profile(index).ProfileFolder;
}

}  // namespace

void saveAutoload(Module& module, int32_t index, int value) {
  MapsIni(module).setAutoload(folderOf(module, index), std::to_string(value));
}

void saveDisplayTime(Module& module, int32_t index, int position) {
  MapsIni(module).setDisplayTime(folderOf(module, index), std::to_string(position));
}

int32_t SetAutoLoad(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  const std::string value = vb::CStr(Data);
  MapsIni(module).setAutoload(folderOf(module, Index), value);
  AdminLog(module, PDAT, adminLogText(kChangeAutoload, kNewValue, value));
  return 0;
}

int32_t SetDisplayTimer(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  MapsIni(module).setDisplayTime(folderOf(module, Index), vb::CStr(Data));
  const int64_t seconds = static_cast<int64_t>(vb::CLng(Data)) * 5;
  AdminLog(module, PDAT, adminLogText(kChangeDisplayTimer, kNewValue, std::to_string(seconds)));
  return 0;
}

void SaveMapSettings(Module& module, int32_t Index) {
  const frmRotarynMaps& window = windowOf(module);
  const ScoreLimitTexts limits = window.shownScoreLimits();
  const std::vector<RotationRow> rows = window.currentRows();
  LastSettings settings(module, Index, LastSettings::Failures::kLogged,
                        LastSettings::File::kLastKnownSettings);
  // The whole file in one replace: a crash leaves the old file or the new one, never half.
  settings.gather();
  settings.writeLimits(limits.koth, limits.kills, limits.flagball);
  settings.writeMapCount(static_cast<int>(rows.size()) - 1);
  for (size_t row = 0; row < rows.size(); ++row) {
    settings.writeMap(static_cast<int>(row),
                      formats::rotationEntryText(std::to_string(rows[row].type),
                                                 rows[row].custom ? "1" : "0", rows[row].file));
  }
  settings.flush();
}

}  // namespace rotaryn
