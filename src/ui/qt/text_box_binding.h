#pragma once

#include <QLineEdit>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// Typing sets the model's text, which runs its change handler on every keystroke.
class TextBoxBinding final : public WidgetBinding {
 public:
  TextBoxBinding(TextBox& textBox, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  TextBox& textBox_;
  QLineEdit* widget_;
};

}  // namespace rotaryn
