#include "ui/qt/slider_binding.h"

namespace rotaryn {

SliderBinding::SliderBinding(Slider& slider, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(slider, new QSlider(Qt::Horizontal, parent), designPlace),
      slider_(slider),
      widget_(static_cast<QSlider*>(widget())) {
  widget_->setTickPosition(QSlider::TicksBelow);
  widget_->setTickInterval(1);
  widget_->setPageStep(1);
  connect(widget_, &QSlider::valueChanged, this, [this](int value) {
    if (rendering_) return;
    forwardInput([&] { slider_.value = value; });
  });
}

void SliderBinding::renderContent(Change what) {
  if (what == Change::Value) renderAllContent();
}

void SliderBinding::renderAllContent() {
  rendering_ = true;
  widget_->setRange(slider_.min, slider_.max);
  widget_->setValue(slider_.value);
  rendering_ = false;
}

}  // namespace rotaryn
