#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "ui/control_design.h"

namespace rotaryn {

namespace window_design {

using enum ControlKind;

// Every control of the window frmRotarynMaps: the one list the window model, its views, the
// automation lookups and the layout are made from. The buttons stand in the order the window
// builds them when it loads, which is why "Edit Task" comes before "Add New Task".
inline constexpr ControlDesign kControls[] = {
    {"frmOptions", Frame, "", -1, {120, 6840, 10680, 960}, "Options"},
    {"cmdSkip", Button, "frmOptions", -1, {360, 320, 1335, 495}, "Skip Map"},
    {"cmdScore", Button, "frmOptions", -1, {2030, 320, 1335, 495}, "Score Map"},
    {"cmdPlay", Button, "frmOptions", -1, {3690, 320, 1335, 495}, "Play Next"},
    {"cmdUpdate", Button, "frmOptions", -1, {5470, 320, 1335, 495}, "Update Maps"},
    {"cmdSave", Button, "frmOptions", -1, {7140, 320, 1335, 495}, "Save Maps"},
    {"cmdLoad", Button, "frmOptions", -1, {8810, 320, 1335, 495}, "Load Maps"},
    {"Frame5", Frame, "", -1, {5265, 2520, 735, 1560}},
    {"cmdAdd", Button, "Frame5", -1, {120, 420, 495, 375}, ">>"},
    {"cmdRemove", Button, "Frame5", -1, {120, 1060, 495, 375}, "<<"},
    {"Frame4", Frame, "", -1, {10065, 2520, 735, 1560}},
    {"cmdUp", Button, "Frame4", -1, {120, 420, 495, 375}, "+"},
    {"cmdDown", Button, "Frame4", -1, {120, 1060, 495, 375}, "-"},
    {"cmdRandomize",
     PictureButton,
     "",
     -1,
     {10185, 4320, 495, 495},
     "",
     "Randomize Current Maps List"},

    {"ssmTab",
     TabControl,
     "",
     -1,
     {120, 120, 5025, 6600},
     "Available Maps|Settings|Task Scheduler"},
    // "Available Maps"
    {"Frame1", Frame, "ssmTab", 0, {75, 75, 4785, 6015}, "Map List"},
    {"cmdGtLeft", Button, "Frame1", -1, {1180, 280, 255, 320}, "<"},
    {"txtGametype", TextBox, "Frame1", -1, {1470, 280, 1845, 320}, "Deathmatch"},
    {"cmdGtRight", Button, "Frame1", -1, {3350, 280, 255, 320}, ">"},
    {"mfgList", FlexGrid, "Frame1", -1, {120, 720, 4545, 5175}},
    // "Settings"
    {"Frame3", Frame, "ssmTab", 1, {75, 75, 4785, 855}},
    {"chkAutoLoad",
     CheckBox,
     "Frame3",
     -1,
     {240, 300, 4425, 375},
     "Autoload last known map list on start up."},
    {"Frame10", Frame, "ssmTab", 1, {75, 1050, 4785, 1095}, "End of Map Display Time"},
    {"sldTimer", Slider, "Frame10", -1, {240, 330, 3465, 555}},
    {"Label15", Label, "Frame10", -1, {3825, 450, 840, 255}},
    // "Task Scheduler"
    {"Frame9", Frame, "ssmTab", 2, {75, 1965, 4785, 1815}, "Edit Task"},
    {"Label7", Label, "Frame9", -1, {120, 330, 945, 255}, "Start Date:"},
    {"dtEditDate", DatePicker, "Frame9", -1, {1080, 285, 1875, 315}, "dd/MM/yyyy"},
    {"Label8", Label, "Frame9", -1, {120, 690, 945, 255}, "Start Time:"},
    {"dtEditTime", DatePicker, "Frame9", -1, {1080, 645, 1875, 315}, "HH:mm:ss"},
    {"Label9", Label, "Frame9", -1, {120, 1050, 945, 255}, "Frequency:"},
    {"cboEditFrequency", ComboBox, "Frame9", -1, {1080, 1005, 1875, 315}},
    {"Label10", Label, "Frame9", -1, {120, 1410, 945, 255}, "File:"},
    {"cboEditFile", ComboBox, "Frame9", -1, {1080, 1365, 1875, 315}},
    {"cmdEditTask", Button, "Frame9", -1, {3090, 800, 1215, 495}, "Edit Task", "", false},
    {"Frame8", Frame, "ssmTab", 2, {75, 75, 4785, 1815}, "Add New Task"},
    {"Label14", Label, "Frame8", -1, {120, 330, 945, 255}, "Start Date:"},
    {"dtAddDate", DatePicker, "Frame8", -1, {1080, 285, 1875, 315}, "dd/MM/yyyy"},
    {"Label13", Label, "Frame8", -1, {120, 690, 945, 255}, "Start Time:"},
    {"dtAddTime", DatePicker, "Frame8", -1, {1080, 645, 1875, 315}, "HH:mm:ss"},
    {"Label12", Label, "Frame8", -1, {120, 1050, 945, 255}, "Frequency:"},
    {"cboAddFrequency", ComboBox, "Frame8", -1, {1080, 1005, 1875, 315}},
    {"Label11", Label, "Frame8", -1, {120, 1410, 945, 255}, "File:"},
    {"cboAddFile", ComboBox, "Frame8", -1, {1080, 1365, 1875, 315}},
    {"cmdAddTask", Button, "Frame8", -1, {3090, 800, 1215, 495}, "Add Task"},
    {"Frame7", Frame, "ssmTab", 2, {75, 3855, 4785, 2235}, "Scheduled Tasks"},
    {"mfgTask", FlexGrid, "Frame7", -1, {120, 270, 4545, 1845}},

    {"Frame2", Frame, "", -1, {6120, 120, 3805, 6600}, "Current Maps"},
    {"mfgCurrent", FlexGrid, "Frame2", -1, {120, 270, 3565, 4170}},
    {"lblSelected", Label, "Frame2", -1, {120, 4560, 1215, 255}, "Selected Maps:"},
    {"lblSnum", Label, "Frame2", -1, {1335, 4560, 735, 255}},
    {"lblTotal", Label, "Frame2", -1, {2130, 4560, 915, 255}, "Total Maps:"},
    {"lblTnum", Label, "Frame2", -1, {3045, 4560, 640, 255}},
    {"lblCurMap", Label, "Frame2", -1, {120, 4890, 3565, 255}, "Map playing:"},
    {"Label1", Label, "Frame2", -1, {120, 5280, 3565, 255}, "Scores:"},
    {"Label2", Label, "Frame2", -1, {120, 5655, 1215, 255}, "TKOTH + KOTH:"},
    {"txtTkoth", TextBox, "Frame2", -1, {1395, 5595, 585, 315}, "10"},
    {"Label3", Label, "Frame2", -1, {2085, 5655, 885, 255}, "DM + TDM:"},
    {"txtTdm", TextBox, "Frame2", -1, {2985, 5595, 700, 315}, "500"},
    {"Label4", Label, "Frame2", -1, {120, 6060, 1215, 255}, "FB:"},
    {"txtFb", TextBox, "Frame2", -1, {1395, 6000, 585, 315}, "20"},

    // Holds the picture blended over the tab control; never shown itself.
    {"Picture1", PictureBox, "", -1, {0, 0, 5025, 6600}},

    // The pop-up menu of mfgList.
    {"mnuMain", Menu, "", -1, {}, "Main"},
    {"mnuAdd", MenuItem, "mnuMain", -1, {}, "Add New Map to Game Folder"},
    {"mnuDelete", MenuItem, "mnuMain", -1, {}, "Delete Map from Game Folder"},
};

}  // namespace window_design

inline constexpr std::span<const ControlDesign> kWindowControls = window_design::kControls;

// The position of the control with this name (exact case) in kWindowControls; its size for
// none. Positions rather than pointers, because GCC's sanitizers make a pointer comparison in
// a constant expression non-constant.
constexpr size_t windowControlIndex(std::string_view name) {
  size_t index = 0;
  while (index < kWindowControls.size() && kWindowControls[index].name != name) ++index;
  return index;
}

// The design of the control with this name (exact case); null for none.
inline const ControlDesign* findWindowControlDesign(std::string_view name) {
  size_t index = windowControlIndex(name);
  return index < kWindowControls.size() ? &kWindowControls[index] : nullptr;
}

// The window's control `name`, which must be of a kind that Control (a model class) shows:
// used where the window declares its controls, so a name or kind that does not fit the table
// does not compile.
template <class Control>
consteval const ControlDesign& windowControlDesign(std::string_view name) {
  size_t index = windowControlIndex(name);
  if (index == kWindowControls.size()) throw "the window's design has no control of this name";
  const ControlDesign& design = kWindowControls[index];
  if (!Control::fits(design.kind)) throw "the window's design has this control of another kind";
  return design;
}

namespace window_design {

constexpr bool namesAreUnique() {
  for (size_t index = 0; index < kWindowControls.size(); ++index) {
    if (windowControlIndex(kWindowControls[index].name) != index) return false;
  }
  return true;
}

// Containers are frames, the tab control (with a page) or a menu (for its items).
constexpr bool containersExist() {
  for (const ControlDesign& design : kWindowControls) {
    if (design.container.empty()) {
      if (design.tabPage != -1) return false;
      continue;
    }
    size_t container = windowControlIndex(design.container);
    if (container == kWindowControls.size()) return false;
    switch (kWindowControls[container].kind) {
      case ControlKind::Frame:
        if (design.tabPage != -1 || design.kind == ControlKind::MenuItem) return false;
        break;
      case ControlKind::TabControl:
        if (design.tabPage < 0 || design.kind != ControlKind::Frame) return false;
        break;
      case ControlKind::Menu:
        if (design.kind != ControlKind::MenuItem) return false;
        break;
      default:
        return false;
    }
  }
  return true;
}

static_assert(namesAreUnique(), "two controls of the window share a name");
static_assert(containersExist(), "a control of the window sits in no container it can sit in");

}  // namespace window_design

}  // namespace rotaryn
