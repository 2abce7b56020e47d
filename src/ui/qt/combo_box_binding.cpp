#include "ui/qt/combo_box_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

ComboBoxBinding::ComboBoxBinding(ComboBox& comboBox, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(comboBox, new QComboBox(parent), designPlace),
      comboBox_(comboBox),
      widget_(static_cast<QComboBox*>(widget())) {
  connect(widget_, &QComboBox::activated, this, [this](int index) {
    const std::vector<std::string>& items = comboBox_.items();
    if (index < 0 || static_cast<size_t>(index) >= items.size()) return;
    forwardInput([&] { comboBox_.text = items[static_cast<size_t>(index)]; });
    renderText();
  });
}

void ComboBoxBinding::renderContent(Change what) {
  if (what == Change::Items) {
    renderAllContent();
  } else if (what == Change::Text) {
    renderText();
  }
}

void ComboBoxBinding::renderAllContent() {
  renderItems();
  renderText();
}

void ComboBoxBinding::renderItems() {
  widget_->clear();
  for (const std::string& item : comboBox_.items()) widget_->addItem(fromWindows1252(item));
}

void ComboBoxBinding::renderText() {
  QString text = fromWindows1252(comboBox_.text);
  int index = widget_->findText(text, Qt::MatchExactly);
  widget_->setPlaceholderText(index < 0 ? text : QString());
  widget_->setCurrentIndex(index);
}

}  // namespace rotaryn
