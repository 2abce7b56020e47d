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
#include "ui/map_entry.h"

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

void chkAutoLoad_Click(Module& module) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("chkAutoLoad", index);
  trap.run([&] {
    trap.at(1);
    const int value = windowOf(module).chkAutoLoad.value;
    writeProfileSetting(module, index, "Autoload", std::to_string(value));
  });
}

void sldTimer_Change(Module& module) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("sldTimer", index);
  trap.run([&] {
    trap.at(1);
    frmRotarynMaps& window = windowOf(module);
    const int position = window.sldTimer.value;
    writeProfileSetting(module, index, "DisplayTime", std::to_string(position));
    trap.at(2);
    window.Label15.caption = std::to_string(position * 5) + " Secs";
  });
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
  frmRotarynMaps& window = windowOf(module);
  const std::string path = module.RootFolder + "\\profiles\\" +
                           module.profile(Index).ProfileFolder +
                           "\\settings\\lastknownsettings.ini";
  const FlexGrid& grid = window.mfgCurrent;
  std::vector<std::pair<std::string, std::string>> values{
      {"tkScore", window.txtTkoth.text},
      {"dmScore", window.txtTdm.text},
      {"fbScore", window.txtFb.text},
      {"mapcount", std::to_string(grid.Rows() - 1)},
  };
  for (int row = 0; row < grid.Rows(); ++row) {
    const std::string custom = grid.backColorAt(row, 0) == kStockBackColor ? "0" : "1";
    const MapEntry entry = SplitMapEntry(grid.TextMatrix(row, 0));
    values.emplace_back("map" + std::to_string(row),
                        rotationEntryText(std::to_string(grid.RowData(row)), custom, entry.file));
  }
  // The whole file in one replace: a crash leaves the old file or the new one, never half.
  IniFile(module.ports.files, iniFailureLog(module)).write(path, "Maps", values);
}

}  // namespace rotaryn
