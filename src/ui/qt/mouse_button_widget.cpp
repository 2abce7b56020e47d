#include "ui/qt/mouse_button_widget.h"

#include <QMouseEvent>

namespace rotaryn {

MouseButtonWidget::MouseButtonWidget(QWidget* parent) : QPushButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAutoDefault(false);
}

void MouseButtonWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) QPushButton::mousePressEvent(event);
  event->accept();
  if (onPress) onPress(event->button(), event->modifiers());
}

void MouseButtonWidget::mouseReleaseEvent(QMouseEvent* event) {
  // The pressed face goes back before the action runs; the action may open a modal box.
  if (event->button() == Qt::LeftButton) QPushButton::mouseReleaseEvent(event);
  event->accept();
  if (onRelease) onRelease(event->button(), event->modifiers());
}

}  // namespace rotaryn
