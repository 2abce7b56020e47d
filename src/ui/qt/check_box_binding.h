#pragma once

#include <QCheckBox>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// A click sets the model's value (1 ticked, 0 cleared), which runs its click handler.
class CheckBoxBinding final : public WidgetBinding {
 public:
  CheckBoxBinding(CheckBox& checkBox, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  CheckBox& checkBox_;
  QCheckBox* widget_;
};

}  // namespace rotaryn
