#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ui/frm_rotaryn_maps.h"

namespace rotaryn::host {

// One control of the window model, by its kind.
using ControlRef = std::variant<TabControl*, Frame*, Button*, TextBox*, FlexGrid*, CheckBox*,
                                Slider*, Label*, DatePicker*, ComboBox*, MenuItem*, Menu*>;

// Every control of the window, in the order of its declaration.
std::vector<ControlRef> windowControls(frmRotarynMaps& window);
// The control with this name (exact case, as the window names it).
std::optional<ControlRef> findControl(frmRotarynMaps& window, std::string_view name);
std::string controlName(const ControlRef& control);
// "Button", "FlexGrid", ...
std::string_view controlKind(const ControlRef& control);

}  // namespace rotaryn::host
