#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {

// One control of the window model, by its kind.
using ControlRef =
    std::variant<TabControl*, Frame*, Button*, TextBox*, FlexGrid*, CheckBox*, Slider*, Label*,
                 DatePicker*, ComboBox*, MenuItem*, Menu*, Image*, PictureBox*>;

// Every control of the window: those of its design (kWindowControls) in that order, then those
// it made as it loaded.
std::vector<ControlRef> windowControls(frmRotarynMaps& window);
// A control of the window as the class its design's kind asks for.
ControlRef controlRef(Control& control);
// The control with this name (exact case, as the window names it).
std::optional<ControlRef> findControl(frmRotarynMaps& window, std::string_view name);
std::string controlName(const ControlRef& control);
// "Button", "FlexGrid", ...
std::string_view controlKind(const ControlRef& control);

}  // namespace rotaryn
