#include "ui/qt/window_layout.h"

namespace rotaryn {
namespace {

// Tab pages start below the tab row, so their frames are placed relative to the page.
constexpr DesignPlace kDesignPlaces[] = {
    {"ssmTab", {120, 120, 5025, 6600}},
    {"Frame5", {5265, 2520, 735, 1560}},
    {"Frame2", {6120, 120, 3805, 6600}},
    {"Frame4", {10065, 2520, 735, 1560}},
    {"cmdRandomize", {10185, 4320, 495, 495}},
    {"frmOptions", {120, 6840, 10680, 960}},

    // "Available Maps"
    {"Frame1", {75, 75, 4785, 6015}, 0},
    {"txtGametype", {1470, 280, 1845, 320}},
    {"mfgList", {120, 720, 4545, 5175}},

    // "Settings"
    {"Frame3", {75, 75, 4785, 855}, 1},
    {"chkAutoLoad", {240, 300, 4425, 375}},
    {"Frame10", {75, 1050, 4785, 1095}, 1},
    {"sldTimer", {240, 330, 3465, 555}},
    {"Label15", {3825, 450, 840, 255}},

    // "Task Scheduler"
    {"Frame8", {75, 75, 4785, 1815}, 2},
    {"Label14", {120, 330, 945, 255}},
    {"dtAddDate", {1080, 285, 1875, 315}},
    {"Label13", {120, 690, 945, 255}},
    {"dtAddTime", {1080, 645, 1875, 315}},
    {"Label12", {120, 1050, 945, 255}},
    {"cboAddFrequency", {1080, 1005, 1875, 315}},
    {"Label11", {120, 1410, 945, 255}},
    {"cboAddFile", {1080, 1365, 1875, 315}},
    {"Frame9", {75, 1965, 4785, 1815}, 2},
    {"Label7", {120, 330, 945, 255}},
    {"dtEditDate", {1080, 285, 1875, 315}},
    {"Label8", {120, 690, 945, 255}},
    {"dtEditTime", {1080, 645, 1875, 315}},
    {"Label9", {120, 1050, 945, 255}},
    {"cboEditFrequency", {1080, 1005, 1875, 315}},
    {"Label10", {120, 1410, 945, 255}},
    {"cboEditFile", {1080, 1365, 1875, 315}},
    {"Frame7", {75, 3855, 4785, 2235}, 2},
    {"mfgTask", {120, 270, 4545, 1845}},

    // "Current Maps"
    {"mfgCurrent", {120, 270, 3565, 4170}},
    {"lblSelected", {120, 4560, 1215, 255}},
    {"lblSnum", {1335, 4560, 735, 255}},
    {"lblTotal", {2130, 4560, 915, 255}},
    {"lblTnum", {3045, 4560, 640, 255}},
    {"lblCurMap", {120, 4890, 3565, 255}},
    {"Label1", {120, 5280, 3565, 255}},
    {"Label2", {120, 5655, 1215, 255}},
    {"txtTkoth", {1395, 5595, 585, 315}},
    {"Label3", {2085, 5655, 885, 255}},
    {"txtTdm", {2985, 5595, 700, 315}},
    {"Label4", {120, 6060, 1215, 255}},
    {"txtFb", {1395, 6000, 585, 315}},
};

}  // namespace

std::optional<DesignPlace> designPlaceOf(std::string_view control) {
  for (const DesignPlace& entry : kDesignPlaces) {
    if (entry.control == control) return entry;
  }
  return std::nullopt;
}

}  // namespace rotaryn
