#include "catalogue/stock_catalogue.h"
#include "errors/error_report.h"
#include "memory/score_limits.h"
#include "memory/server_rotation.h"
#include "platform/scoped_flag.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/autoload.h"
#include "store/map_settings.h"
#include "store/maps_ini.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr int kDefaultDisplayTime = 9;
constexpr const char* kNoScoreLimitFields = "This server build has no score-limit fields.";

// 1..9 as a whole number; anything else stands for the default.
int displayTimeOf(const std::string& value) {
  std::optional<double> number = vb::parseNumber(value);
  if (!number || *number != static_cast<int>(*number)) return kDefaultDisplayTime;
  int whole = static_cast<int>(*number);
  return whole >= 1 && whole <= 9 ? whole : kDefaultDisplayTime;
}

}  // namespace

void frmRotarynMaps::Form_Reload() {
  trapped("Form_Reload", [this](ErrorTrap& trap) {
    int32_t index = module_.CurrentProfile;

    trap.at(1);
    setExtendedCatalogue(module_, index);

    trap.at(2);
    const std::string profileFolder = module_.profile(index).ProfileFolder;
    std::string autoload = readDisplaySettings(profileFolder);

    trap.at(3);
    LoadCatalogue(module_, module_.ExtendedCatalogue);
    SetMaps(0);

    trap.at(4);
    if (autoload == "1") {
      AutoLoadMap(module_, index, false);
    } else {
      GetMapList(module_, index);
    }

    trap.at(5);
    mfgCurrent.setRows(0);
    if (!module_.currentList.CurrentMapNames.empty()) FillCurrentGrid();

    trap.at(6);
    showScoreLimits(readScoreLimits(module_, index));

    trap.at(7);
    refreshMapCapacity(index);

    trap.at(8);
    lblTnum.caption = std::to_string(mfgList.Rows());
    lblSnum.caption = std::to_string(mfgCurrent.Rows()) + " / " + std::to_string(MaxMapsLimit);
  });
}

void frmRotarynMaps::showScoreLimits(const std::optional<ScoreLimits>& limits) {
  // A build without limit fields shows empty, disabled boxes rather than another profile's.
  const std::string tip = limits ? "" : kNoScoreLimitFields;
  txtTkoth.text = limits ? std::to_string(limits->koth) : "";
  txtTdm.text = limits ? std::to_string(limits->kills) : "";
  txtFb.text = limits ? std::to_string(limits->gameScore) : "";
  for (TextBox* box : {&txtTkoth, &txtTdm, &txtFb}) {
    box->enabled = limits.has_value();
    box->toolTipText = tip;
  }
}

std::string frmRotarynMaps::readDisplaySettings(const std::string& profileFolder) {
  ScopedFlag showing(showingSettings_);
  MapsIni settings(module_);
  if (!settings.exists()) {
    chkAutoLoad.value = 0;
    sldTimer.value = kDefaultDisplayTime;
    Label15.caption = "45 Secs";
    return "0";
  }
  std::string autoload = settings.autoload(profileFolder);
  if (autoload.empty()) {
    settings.setAutoload(profileFolder, "0");
    autoload = "0";
  }
  if (autoload != "1") autoload = "0";
  chkAutoLoad.value = autoload == "1" ? 1 : 0;

  std::string displayTime = settings.displayTime(profileFolder);
  if (displayTime.empty()) {
    settings.setDisplayTime(profileFolder, "9");
    displayTime = "9";
  }
  int seconds = displayTimeOf(displayTime);
  sldTimer.value = seconds;
  Label15.caption = std::to_string(5 * seconds) + " Secs";
  return autoload;
}

}  // namespace rotaryn
