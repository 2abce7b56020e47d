#include "host/window_controls.h"

namespace rotaryn::host {
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

}  // namespace

std::vector<ControlRef> windowControls(frmRotarynMaps& w) {
  return {&w.ssmTab,      &w.Frame1,   &w.cmdGtLeft,        &w.txtGametype,  &w.cmdGtRight,
          &w.mfgList,     &w.Frame3,   &w.chkAutoLoad,      &w.Frame10,      &w.sldTimer,
          &w.Label15,     &w.Frame8,   &w.Label14,          &w.dtAddDate,    &w.Label13,
          &w.dtAddTime,   &w.Label12,  &w.cboAddFrequency,  &w.Label11,      &w.cboAddFile,
          &w.cmdAddTask,  &w.Frame9,   &w.Label7,           &w.dtEditDate,   &w.Label8,
          &w.dtEditTime,  &w.Label9,   &w.cboEditFrequency, &w.Label10,      &w.cboEditFile,
          &w.cmdEditTask, &w.Frame7,   &w.mfgTask,          &w.Frame2,       &w.mfgCurrent,
          &w.lblSelected, &w.lblSnum,  &w.lblTotal,         &w.lblTnum,      &w.lblCurMap,
          &w.Label1,      &w.Label2,   &w.txtTkoth,         &w.Label3,       &w.txtTdm,
          &w.Label4,      &w.txtFb,    &w.Frame5,           &w.cmdAdd,       &w.cmdRemove,
          &w.Frame4,      &w.cmdUp,    &w.cmdDown,          &w.cmdRandomize, &w.frmOptions,
          &w.cmdSkip,     &w.cmdScore, &w.cmdPlay,          &w.cmdUpdate,    &w.cmdSave,
          &w.cmdLoad,     &w.mnuAdd,   &w.mnuDelete,        &w.mnuMain};
}

std::string controlName(const ControlRef& control) {
  return std::visit([](auto* c) { return c->name(); }, control);
}

std::string_view controlKind(const ControlRef& control) {
  return std::visit([](auto* c) { return kKindName<std::remove_pointer_t<decltype(c)>>; }, control);
}

std::optional<ControlRef> findControl(frmRotarynMaps& window, std::string_view name) {
  for (const ControlRef& control : windowControls(window)) {
    if (controlName(control) == name) return control;
  }
  return std::nullopt;
}

}  // namespace rotaryn::host
