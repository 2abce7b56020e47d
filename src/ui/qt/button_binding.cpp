#include "ui/qt/button_binding.h"

#include "ui/frm_rotaryn_maps.h"
#include "ui/qt/input_mapping.h"
#include "ui/qt/text_codec.h"

namespace rotaryn {

ButtonBinding::ButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent,
                             TwipsRect designPlace)
    : WidgetBinding(button, new MouseButtonWidget(parent), designPlace),
      button_(button),
      widget_(static_cast<MouseButtonWidget*>(widget())) {
  widget_->onPress = [&window, &button](Qt::MouseButton mouse, Qt::KeyboardModifiers keys) {
    std::optional<MouseButton> pressed = modelMouseButton(mouse);
    if (!pressed) return;
    forwardInput([&] { window.buttonMouseDown(button, *pressed, shiftState(keys)); });
  };
  widget_->onRelease = [&window, &button](Qt::MouseButton mouse, Qt::KeyboardModifiers keys) {
    std::optional<MouseButton> released = modelMouseButton(mouse);
    if (!released) return;
    forwardInput([&] { window.buttonMouseUp(button, *released, shiftState(keys)); });
  };
}

void ButtonBinding::renderContent(Change what) {
  if (what == Change::Caption) renderAllContent();
}

void ButtonBinding::renderAllContent() {
  widget_->setText(literalCaption(button_.caption));
}

}  // namespace rotaryn
