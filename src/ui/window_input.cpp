#include "ui/window_input.h"

#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

using enum InputEvent;

// One route: a control (by name, or "" for every control of the kind) and an event, to the
// window's handler. Controls made from one class share its kinds: a picture button is a Button.
struct InputRoute {
  std::string_view control;
  ControlKind kind;
  InputEvent event;
  void (*handle)(frmRotarynMaps&, Control&, const Input&);
};

bool holdsRow(const FlexGrid& grid, int row) {
  return row >= 0 && row < grid.Rows();
}

constexpr InputRoute kWindowInput[] = {
    {"", ControlKind::Button, MouseDown,
     [](frmRotarynMaps& w, Control& c, const Input& in) {
       w.buttonMouseDown(static_cast<Button&>(c), in.button, in.shift, in.x, in.y);
     }},
    {"", ControlKind::Button, MouseUp,
     [](frmRotarynMaps& w, Control& c, const Input& in) {
       w.buttonMouseUp(static_cast<Button&>(c), in.button, in.shift, in.x, in.y);
     }},
    // The picture button acts on a click, not on its label's release.
    {"cmdRandomize", ControlKind::PictureButton, Click,
     [](frmRotarynMaps& w, Control&, const Input&) { w.cmdRandomize_Click(); }},
    {"", ControlKind::Image, MouseDown,
     [](frmRotarynMaps& w, Control& c, const Input& in) {
       w.imageMouseDown(static_cast<Image&>(c), in.button, in.shift, in.x, in.y);
     }},
    {"", ControlKind::Image, MouseUp,
     [](frmRotarynMaps& w, Control& c, const Input& in) {
       w.imageMouseUp(static_cast<Image&>(c), in.button, in.shift, in.x, in.y);
     }},
    {"", ControlKind::MenuItem, Click,
     [](frmRotarynMaps&, Control& c, const Input&) {
       auto& item = static_cast<MenuItem&>(c);
       if (item.enabled && item.action) item.action();
     }},
    {"mfgList", ControlKind::FlexGrid, MouseDown,
     [](frmRotarynMaps& w, Control&, const Input& in) {
       w.mfgList_MouseDown(in.button, in.shift, in.row);
     }},
    {"mfgList", ControlKind::FlexGrid, DblClick,
     [](frmRotarynMaps& w, Control&, const Input&) { w.mfgList_DblClick(); }},
    {"mfgCurrent", ControlKind::FlexGrid, DblClick,
     [](frmRotarynMaps& w, Control&, const Input&) { w.mfgCurrent_DblClick(); }},
    {"mfgCurrent", ControlKind::FlexGrid, Key,
     [](frmRotarynMaps& w, Control&, const Input& in) { w.mfgCurrent_KeyPress(in.keyAscii); }},
    {"mfgCurrent", ControlKind::FlexGrid, MouseMove,
     [](frmRotarynMaps& w, Control&, const Input& in) { w.mfgCurrent_MouseMove(in.row); }},
    {"mfgCurrent", ControlKind::FlexGrid, DragOver,
     [](frmRotarynMaps& w, Control&, const Input& in) { w.mfgCurrent_DragOver(in.row); }},
    // A drop passes over its row first; below the last row (or on no row) the map goes to the end.
    {"mfgCurrent", ControlKind::FlexGrid, Drop,
     [](frmRotarynMaps& w, Control&, const Input& in) {
       const int at = holdsRow(w.mfgCurrent, in.row) ? in.row : w.mfgCurrent.Rows();
       w.mfgCurrent_DragOver(at);
       w.mfgCurrent_DragDrop(at);
     }},
    // A click on a task row selects it first, as the grid does; the header row selects nothing.
    {"mfgTask", ControlKind::FlexGrid, Click,
     [](frmRotarynMaps& w, Control&, const Input& in) {
       if (in.button != MouseButton::Left) return;
       if (in.row >= w.mfgTask.FixedRows()) w.mfgTask.setRow(in.row);
       w.mfgTask_Click(in.row);
     }},
    {"mfgTask", ControlKind::FlexGrid, MouseUp,
     [](frmRotarynMaps& w, Control&, const Input& in) {
       w.mfgTask_MouseUp(in.button, in.shift, in.row);
     }},
    {"mfgTask", ControlKind::FlexGrid, Key,
     [](frmRotarynMaps& w, Control&, const Input& in) { w.mfgTask_KeyPress(in.keyAscii); }},
};

bool fits(const InputRoute& route, const Control& control, InputEvent event) {
  if (route.event != event || control.design() == nullptr) return false;
  const ControlKind kind = control.design()->kind;
  if (!route.control.empty()) return route.control == control.name() && route.kind == kind;
  return route.kind == kind ||
         (route.kind == ControlKind::Button && kind == ControlKind::PictureButton);
}

const InputRoute* routeOf(const Control& control, InputEvent event) {
  // A route for the control by name comes before the one for its kind.
  const InputRoute* general = nullptr;
  for (const InputRoute& route : kWindowInput) {
    if (!fits(route, control, event)) continue;
    if (!route.control.empty()) return &route;
    if (general == nullptr) general = &route;
  }
  return general;
}

}  // namespace

bool deliverInput(frmRotarynMaps& window, Control& control, const Input& input) {
  const InputRoute* route = routeOf(control, input.event);
  if (route == nullptr) return false;
  route->handle(window, control, input);
  return true;
}

bool takesInput(const Control& control, InputEvent event) {
  return routeOf(control, event) != nullptr;
}

}  // namespace rotaryn
