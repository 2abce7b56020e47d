#include "ui/qt/label_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

LabelBinding::LabelBinding(const Label& label, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(label, new QLabel(parent), designPlace),
      label_(label),
      widget_(static_cast<QLabel*>(widget())) {
  widget_->setTextFormat(Qt::PlainText);
  widget_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void LabelBinding::renderContent(Change what) {
  if (what == Change::Caption) renderAllContent();
}

void LabelBinding::renderAllContent() {
  widget_->setText(fromWindows1252(label_.caption));
}

}  // namespace rotaryn
