#pragma once

#include <optional>

#include <Qt>

#include "ui/controls.h"

namespace rotaryn {

// The window's handlers take the mouse button and shift state as VB reports them.
std::optional<MouseButton> modelMouseButton(Qt::MouseButton button);
// Bit 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(Qt::KeyboardModifiers modifiers);

}  // namespace rotaryn
