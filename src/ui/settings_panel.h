#pragma once

#include <string>

#include "ui/window_part.h"

namespace rotaryn {

// The "Settings" tab: autoload at start and the end-of-map display time, both kept per profile
// in Maps.ini.
class SettingsPanel : protected virtual WindowPart {
 public:
  // Trapped under "chkAutoLoad" and "sldTimer"; the slider also shows its time in Label15.
  void chkAutoLoad_Click();
  void sldTimer_Change();

  Frame Frame3{controls_, windowControlDesign<Frame>("Frame3")};
  CheckBox chkAutoLoad{controls_, windowControlDesign<CheckBox>("chkAutoLoad")};
  Frame Frame10{controls_, windowControlDesign<Frame>("Frame10")};
  Slider sldTimer{controls_, windowControlDesign<Slider>("sldTimer")};
  Label Label15{controls_, windowControlDesign<Label>("Label15")};

 protected:
  explicit SettingsPanel(Module& module);
  ~SettingsPanel() = default;

  // Shows (and completes) the profile's Maps.ini entries; returns the "Autoload" value used.
  std::string readDisplaySettings(const std::string& profileFolder);

 private:
  // Set while a reload shows the stored settings: showing them is not the operator's change.
  bool showingSettings_ = false;
};

}  // namespace rotaryn
