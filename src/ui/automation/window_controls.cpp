#include "ui/automation/window_controls.h"

#include <stdexcept>

namespace rotaryn {
namespace {

template <class>
constexpr std::string_view kKindName = "?";
template <>
constexpr std::string_view kKindName<TabControl> = "TabControl";
template <>
constexpr std::string_view kKindName<Frame> = "Frame";
template <>
constexpr std::string_view kKindName<Button> = "Button";
template <>
constexpr std::string_view kKindName<TextBox> = "TextBox";
template <>
constexpr std::string_view kKindName<FlexGrid> = "FlexGrid";
template <>
constexpr std::string_view kKindName<CheckBox> = "CheckBox";
template <>
constexpr std::string_view kKindName<Slider> = "Slider";
template <>
constexpr std::string_view kKindName<Label> = "Label";
template <>
constexpr std::string_view kKindName<DatePicker> = "DatePicker";
template <>
constexpr std::string_view kKindName<ComboBox> = "ComboBox";
template <>
constexpr std::string_view kKindName<MenuItem> = "MenuItem";
template <>
constexpr std::string_view kKindName<Menu> = "Menu";
template <>
constexpr std::string_view kKindName<Image> = "Image";
template <>
constexpr std::string_view kKindName<PictureBox> = "PictureBox";

}  // namespace

std::vector<ControlRef> windowControls(frmRotarynMaps& window) {
  std::vector<ControlRef> controls;
  for (Control* control : window.controls()) controls.push_back(controlRef(*control));
  return controls;
}

std::string controlName(const ControlRef& control) {
  return std::visit([](auto* c) { return c->name(); }, control);
}

std::string_view controlKind(const ControlRef& control) {
  return std::visit([](auto* c) { return kKindName<std::remove_pointer_t<decltype(c)>>; }, control);
}

std::optional<ControlRef> findControl(frmRotarynMaps& window, std::string_view name) {
  for (Control* control : window.controls()) {
    if (control->name() == name) return controlRef(*control);
  }
  return std::nullopt;
}

// The window declares each control with the class its design's kind asks for, and makes the
// controls it adds as it runs of their kind's class.
ControlRef controlRef(Control& control) {
  if (control.design() == nullptr) {
    throw std::logic_error(control.name() + " is not a control of the window's design");
  }
  switch (control.design()->kind) {
    case ControlKind::TabControl:
      return static_cast<TabControl*>(&control);
    case ControlKind::Frame:
      return static_cast<Frame*>(&control);
    case ControlKind::Label:
      return static_cast<Label*>(&control);
    case ControlKind::TextBox:
      return static_cast<TextBox*>(&control);
    case ControlKind::CheckBox:
      return static_cast<CheckBox*>(&control);
    case ControlKind::Slider:
      return static_cast<Slider*>(&control);
    case ControlKind::ComboBox:
      return static_cast<ComboBox*>(&control);
    case ControlKind::DatePicker:
      return static_cast<DatePicker*>(&control);
    case ControlKind::FlexGrid:
      return static_cast<FlexGrid*>(&control);
    case ControlKind::Button:
    case ControlKind::PictureButton:
      return static_cast<Button*>(&control);
    case ControlKind::Menu:
      return static_cast<Menu*>(&control);
    case ControlKind::MenuItem:
      return static_cast<MenuItem*>(&control);
    case ControlKind::PictureBox:
      return static_cast<PictureBox*>(&control);
    case ControlKind::Image:
      return static_cast<Image*>(&control);
  }
  throw std::logic_error("a control of no kind: " + control.name());
}

}  // namespace rotaryn
