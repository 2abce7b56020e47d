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
  sendMouseButtons(*widget_, window, button);
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
