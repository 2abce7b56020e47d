#include "store/map_settings.h"

#include <string>

#include "errors/error_report.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/admin_log.h"
#include "store/last_settings.h"
#include "store/maps_ini.h"
#include "ui/frm_rotaryn_maps.h"
#include "ui/map_entry.h"

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

void chkAutoLoad_Click(Module& module) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("chkAutoLoad", index);
  trap.run([&] {
    trap.at(1);
    const int value = windowOf(module).chkAutoLoad.value;
    MapsIni(module).setAutoload(folderOf(module, index), std::to_string(value));
  });
}

void sldTimer_Change(Module& module) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("sldTimer", index);
  trap.run([&] {
    trap.at(1);
    frmRotarynMaps& window = windowOf(module);
    const int position = window.sldTimer.value;
    MapsIni(module).setDisplayTime(folderOf(module, index), std::to_string(position));
    trap.at(2);
    window.Label15.caption = std::to_string(position * 5) + " Secs";
  });
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
  frmRotarynMaps& window = windowOf(module);
  const FlexGrid& grid = window.mfgCurrent;
  LastSettings settings(module, Index, LastSettings::Failures::kLogged,
                        LastSettings::File::kLastKnownSettings);
  // The whole file in one replace: a crash leaves the old file or the new one, never half.
  settings.gather();
  settings.writeLimits(window.txtTkoth.text, window.txtTdm.text, window.txtFb.text);
  settings.writeMapCount(grid.Rows() - 1);
  for (int row = 0; row < grid.Rows(); ++row) {
    const std::string custom = grid.backColorAt(row, 0) == kStockBackColor ? "0" : "1";
    const MapEntry entry = SplitMapEntry(grid.TextMatrix(row, 0));
    settings.writeMap(row,
                      rotationEntryText(std::to_string(grid.RowData(row)), custom, entry.file));
  }
  settings.flush();
}

}  // namespace rotaryn
