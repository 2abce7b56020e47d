#include "ui/qt/button_binding.h"

#include "ui/qt/input_mapping.h"
#include "ui/qt/text_codec.h"
#include "ui/window_input.h"

namespace rotaryn {

ButtonBinding::ButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent,
                             TwipsRect designPlace)
    : WidgetBinding(button, new MouseLabel(parent), designPlace),
      button_(button),
      widget_(static_cast<MouseLabel*>(widget())) {
  widget_->setTextFormat(Qt::PlainText);
  widget_->setAlignment(Qt::AlignCenter);
  widget_->setAutoFillBackground(false);
  widget_->onPress = [&window, &button](Qt::MouseButton mouse, Qt::KeyboardModifiers keys, float x,
                                        float y) {
    std::optional<MouseButton> pressed = modelMouseButton(mouse);
    if (!pressed) return;
    forwardInput([&] {
      deliverInput(window, button,
                   {InputEvent::MouseDown, *pressed, shiftState(keys), -1, 0, x, y});
    });
  };
  widget_->onRelease = [&window, &button](Qt::MouseButton mouse, Qt::KeyboardModifiers keys,
                                          float x, float y) {
    std::optional<MouseButton> released = modelMouseButton(mouse);
    if (!released) return;
    forwardInput([&] {
      deliverInput(window, button, {InputEvent::MouseUp, *released, shiftState(keys), -1, 0, x, y});
    });
  };
}

void ButtonBinding::renderContent(Change what) {
  if (what == Change::Caption || what == Change::Font) renderAllContent();
}

void ButtonBinding::renderAllContent() {
  widget_->setText(literalCaption(button_.caption));
  if (button_.fontSize > 0) {
    QFont font = widget_->font();
    font.setPointSize(button_.fontSize);
    widget_->setFont(font);
  }
}

}  // namespace rotaryn
