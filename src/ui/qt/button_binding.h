#pragma once

#include "ui/qt/mouse_button_widget.h"
#include "ui/qt/widget_binding.h"

namespace rotaryn {

class frmRotarynMaps;

// A push button of the window: presses and releases of any mouse button go to the window's
// button handlers, which run the action on release.
class ButtonBinding final : public WidgetBinding {
 public:
  ButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  Button& button_;
  MouseButtonWidget* widget_;
};

}  // namespace rotaryn
