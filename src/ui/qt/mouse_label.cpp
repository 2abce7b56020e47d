#include "ui/qt/mouse_label.h"

#include <QMouseEvent>

#include "ui/qt/twips.h"

namespace rotaryn {
namespace {

void report(const MouseLabel::MouseHandler& handler, QMouseEvent* event) {
  event->accept();
  if (!handler) return;
  const QPointF at = event->position();
  handler(event->button(), event->modifiers(), static_cast<float>(at.x() * kTwipsPerPixel),
          static_cast<float>(at.y() * kTwipsPerPixel));
}

}  // namespace

MouseLabel::MouseLabel(QWidget* parent) : QLabel(parent) {
  setFocusPolicy(Qt::NoFocus);
}

void MouseLabel::mousePressEvent(QMouseEvent* event) {
  report(onPress, event);
}

void MouseLabel::mouseReleaseEvent(QMouseEvent* event) {
  report(onRelease, event);
}

}  // namespace rotaryn
