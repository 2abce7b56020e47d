#pragma once

#include <functional>

#include <QLabel>

namespace rotaryn {

// A label that reports the press and the release of every mouse button, with the modifiers held
// and the pointer's place over it in twips, as the window's image buttons take them. Both parts
// of an image button are such labels: the face (a picture) and the caption over it.
class MouseLabel final : public QLabel {
 public:
  using MouseHandler =
      std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, float xTwips, float yTwips)>;

  explicit MouseLabel(QWidget* parent);

  MouseHandler onPress;
  MouseHandler onRelease;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace rotaryn
