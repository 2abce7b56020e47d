#pragma once

#include <optional>

#include <Qt>

#include "ui/controls.h"

namespace rotaryn {

// The window's handlers take the mouse button and shift state as VB reports them.
std::optional<MouseButton> modelMouseButton(Qt::MouseButton button);
// Bit 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(Qt::KeyboardModifiers modifiers);

class MouseLabel;
class frmRotarynMaps;

// Sends the label's presses and releases of a mouse button to the window as the control's
// MouseDown and MouseUp.
void sendMouseButtons(MouseLabel& label, frmRotarynMaps& window, Control& control);

}  // namespace rotaryn
