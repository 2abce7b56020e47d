#pragma once

#include <QComboBox>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// Choosing an entry sets the model's text. A text that is not among the entries is shown as the
// box's placeholder, so the box never claims an entry the model does not hold.
class ComboBoxBinding final : public WidgetBinding {
 public:
  ComboBoxBinding(ComboBox& comboBox, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  void renderItems();
  void renderText();

  ComboBox& comboBox_;
  QComboBox* widget_;
};

}  // namespace rotaryn
