#include "ui/qt/check_box_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

CheckBoxBinding::CheckBoxBinding(CheckBox& checkBox, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(checkBox, new QCheckBox(parent), designPlace),
      checkBox_(checkBox),
      widget_(static_cast<QCheckBox*>(widget())) {
  connect(widget_, &QCheckBox::clicked, this, [this](bool checked) {
    forwardInput([&] { checkBox_.value = checked ? 1 : 0; });
    // The handler may refuse the change; the box shows what the model holds.
    renderAllContent();
  });
}

void CheckBoxBinding::renderContent(Change what) {
  if (what == Change::Caption || what == Change::Value) renderAllContent();
}

void CheckBoxBinding::renderAllContent() {
  widget_->setText(literalCaption(checkBox_.caption));
  int value = checkBox_.value;
  widget_->setCheckState(value == 1   ? Qt::Checked
                         : value == 2 ? Qt::PartiallyChecked
                                      : Qt::Unchecked);
}

}  // namespace rotaryn
