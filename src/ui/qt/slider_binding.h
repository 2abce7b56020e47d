#pragma once

#include <QSlider>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// Moving the slider sets the model's value, which runs its change handler.
class SliderBinding final : public WidgetBinding {
 public:
  SliderBinding(Slider& slider, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  Slider& slider_;
  QSlider* widget_;
};

}  // namespace rotaryn
