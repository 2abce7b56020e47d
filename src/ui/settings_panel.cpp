#include "ui/settings_panel.h"

#include <optional>

#include "platform/scoped_flag.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/map_settings.h"
#include "store/maps_ini.h"

namespace rotaryn {
namespace {

constexpr int kDefaultDisplayTime = 9;

// 1..9 as a whole number; anything else stands for the default.
int displayTimeOf(const std::string& value) {
  std::optional<double> number = vb::parseNumber(value);
  if (!number || *number != static_cast<int>(*number)) return kDefaultDisplayTime;
  int whole = static_cast<int>(*number);
  return whole >= 1 && whole <= 9 ? whole : kDefaultDisplayTime;
}

}  // namespace

SettingsPanel::SettingsPanel(Module& module) : WindowPart(module) {
  chkAutoLoad.value.onChange([this] {
    if (!showingSettings_) chkAutoLoad_Click();
  });
  sldTimer.value.onChange([this] {
    if (!showingSettings_) sldTimer_Change();
  });
}

void SettingsPanel::chkAutoLoad_Click() {
  trapped("chkAutoLoad", [this](ErrorTrap& trap) {
    trap.at(1);
    saveAutoload(module_, module_.CurrentProfile, chkAutoLoad.value);
  });
}

void SettingsPanel::sldTimer_Change() {
  trapped("sldTimer", [this](ErrorTrap& trap) {
    trap.at(1);
    const int position = sldTimer.value;
    saveDisplayTime(module_, module_.CurrentProfile, position);
    trap.at(2);
    Label15.caption = std::to_string(position * 5) + " Secs";
  });
}

std::string SettingsPanel::readDisplaySettings(const std::string& profileFolder) {
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
