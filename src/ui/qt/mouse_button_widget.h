#pragma once

#include <functional>

#include <QPushButton>

namespace rotaryn {

// A push button face that reports the press and the release of every mouse button, with the
// modifiers held, as the window's image buttons expect. It takes no keyboard focus: the faces
// it stands for are pictures, which cannot be focused or pressed with a key.
class MouseButtonWidget final : public QPushButton {
 public:
  using MouseHandler = std::function<void(Qt::MouseButton, Qt::KeyboardModifiers)>;

  explicit MouseButtonWidget(QWidget* parent);

  MouseHandler onPress;
  MouseHandler onRelease;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace rotaryn
