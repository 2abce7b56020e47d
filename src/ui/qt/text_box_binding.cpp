#include "ui/qt/text_box_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

TextBoxBinding::TextBoxBinding(TextBox& textBox, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(textBox, new QLineEdit(parent), designPlace),
      textBox_(textBox),
      widget_(static_cast<QLineEdit*>(widget())) {
  connect(widget_, &QLineEdit::textEdited, this, [this](const QString& text) {
    forwardInput([&] { textBox_.text = toWindows1252(text); });
  });
}

void TextBoxBinding::renderContent(Change what) {
  if (what == Change::Text) renderAllContent();
}

void TextBoxBinding::renderAllContent() {
  QString text = fromWindows1252(textBox_.text);
  // Setting the same text again would move the cursor while the user types.
  if (widget_->text() != text) widget_->setText(text);
}

}  // namespace rotaryn
