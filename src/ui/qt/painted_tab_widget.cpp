#include "ui/qt/painted_tab_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QVariant>

Q_DECLARE_METATYPE(std::any)

namespace rotaryn {

QImage imageOf(const paint::Bitmap& bitmap) {
  return QImage(reinterpret_cast<const uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height,
                bitmap.width * 4, QImage::Format_RGB32);
}

PaintedTabWidget::PaintedTabWidget(QWidget* parent)
    : QTabWidget(parent), procedure_(ownProcedure()) {}

paint::Procedure PaintedTabWidget::ownProcedure() {
  return [this](uint32_t message, intptr_t wParam, intptr_t lParam) -> intptr_t {
    if (message == paint::WM_PAINT) {
      if (wParam != 0) {
        paintInto(*reinterpret_cast<paint::Bitmap*>(wParam));
        return 0;
      }
      return QTabWidget::event(reinterpret_cast<QEvent*>(lParam)) ? 1 : 0;
    }
    return QTabWidget::event(reinterpret_cast<QEvent*>(wParam)) ? 1 : 0;
  };
}

paint::Procedure PaintedTabWidget::setProcedure(paint::Procedure procedure) {
  paint::Procedure former = std::move(procedure_);
  procedure_ = procedure ? std::move(procedure) : ownProcedure();
  update();
  return former;
}

void PaintedTabWidget::setProperty(const std::string& name, std::any value) {
  QObject::setProperty(name.c_str(), QVariant::fromValue(std::move(value)));
}

std::any PaintedTabWidget::property(const std::string& name) const {
  QVariant value = QObject::property(name.c_str());
  return value.canConvert<std::any>() ? value.value<std::any>() : std::any();
}

void PaintedTabWidget::removeProperty(const std::string& name) {
  // An invalid value removes a dynamic property.
  QObject::setProperty(name.c_str(), QVariant());
}

bool PaintedTabWidget::event(QEvent* event) {
  if (event->type() == QEvent::Paint) {
    painting_ = static_cast<QPaintEvent*>(event);
    procedure_(paint::WM_PAINT, 0, reinterpret_cast<intptr_t>(event));
    painting_ = nullptr;
    return true;
  }
  return procedure_(kQtEventMessage + static_cast<uint32_t>(event->type()),
                    reinterpret_cast<intptr_t>(event), 0) != 0;
}

void PaintedTabWidget::paintInto(paint::Bitmap& image) {
  QImage target(reinterpret_cast<uchar*>(image.pixels.data()), image.width, image.height,
                image.width * 4, QImage::Format_RGB32);
  // What QTabWidget paints of itself, its background and the frame of its pages, here into
  // memory; its children (the tab row, the pages) paint over the result themselves.
  QPainter painter(&target);
  painter.fillRect(target.rect(), palette().brush(backgroundRole()));
  QStyleOptionTabWidgetFrame frame;
  initStyleOption(&frame);
  frame.rect = style()->subElementRect(QStyle::SE_TabWidgetTabPane, &frame, this);
  style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void PaintedTabWidget::present(const paint::Bitmap& image) {
  if (painting_ == nullptr) return;
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, imageOf(image));
}

}  // namespace rotaryn
