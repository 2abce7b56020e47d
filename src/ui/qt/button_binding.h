#pragma once

#include "ui/qt/mouse_label.h"
#include "ui/qt/widget_binding.h"

namespace rotaryn {

class frmRotarynMaps;

// The caption of an image button: a transparent label with centred text over the button's face.
// Presses and releases of any mouse button go to the window's button handlers, which show the
// pressed face and run the action on release.
class ButtonBinding final : public WidgetBinding {
 public:
  ButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  Button& button_;
  MouseLabel* widget_;
};

}  // namespace rotaryn
