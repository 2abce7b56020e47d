#include "catalogue/stock_catalogue.h"
#include "errors/error_report.h"
#include "memory/server_rotation.h"
#include "plugin/module.h"
#include "store/autoload.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
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
    if (!module_.currentList.maps.empty()) FillCurrentGrid();

    trap.at(6);
    showScoreLimits(readScoreLimits(module_, index));

    trap.at(7);
    refreshMapCapacity(index);

    trap.at(8);
    lblTnum.caption = std::to_string(mfgList.Rows());
    lblSnum.caption = std::to_string(mfgCurrent.Rows()) + " / " + std::to_string(MaxMapsLimit);
  });
}

}  // namespace rotaryn
