#include "ui/qt/input_mapping.h"

#include "ui/qt/control_binding.h"
#include "ui/qt/mouse_label.h"
#include "ui/window_input.h"

namespace rotaryn {

std::optional<MouseButton> modelMouseButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::Left;
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

int shiftState(Qt::KeyboardModifiers modifiers) {
  int state = 0;
  if (modifiers & Qt::ShiftModifier) state |= kShiftMask;
  if (modifiers & Qt::ControlModifier) state |= 2;
  if (modifiers & Qt::AltModifier) state |= 4;
  return state;
}

void sendMouseButtons(MouseLabel& label, frmRotarynMaps& window, Control& control) {
  auto sender = [&window, &control](InputEvent event) {
    return [&window, &control, event](Qt::MouseButton mouse, Qt::KeyboardModifiers keys, float x,
                                      float y) {
      std::optional<MouseButton> button = modelMouseButton(mouse);
      if (!button) return;
      forwardInput([&] {
        deliverInput(window, control, {event, *button, shiftState(keys), -1, 0, x, y});
      });
    };
  };
  label.onPress = sender(InputEvent::MouseDown);
  label.onRelease = sender(InputEvent::MouseUp);
}

}  // namespace rotaryn
