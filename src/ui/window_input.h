#pragma once

#include <string_view>

#include "ui/controls.h"

namespace rotaryn {

class frmRotarynMaps;

// The user's input as the window's handlers take it; a view or the automation entry point
// fills in what the event has.
enum class InputEvent { MouseDown, MouseUp, Click, DblClick, Key, MouseMove, DragOver, Drop };

struct Input {
  InputEvent event = InputEvent::Click;
  MouseButton button = MouseButton::Left;
  int shift = 0;
  // The grid row under the pointer; -1 for none.
  int row = -1;
  int keyAscii = 0;
  float x = 0;
  float y = 0;
};

// Runs the handler the window has for this input on this control (kWindowInput in
// window_input.cpp, the one routing every view and the automation entry point use); false if
// the control takes no such input.
bool deliverInput(frmRotarynMaps& window, Control& control, const Input& input);

// The input events a control takes, for messages.
bool takesInput(const Control& control, InputEvent event);

}  // namespace rotaryn
