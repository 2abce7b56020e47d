#pragma once

#include <QDateTimeEdit>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// A date or time picker with the model's custom format. Editing sets the model's value; the
// parts the format does not show keep what the model holds.
class DatePickerBinding final : public WidgetBinding {
 public:
  DatePickerBinding(DatePicker& picker, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  DatePicker& picker_;
  QDateTimeEdit* widget_;
};

}  // namespace rotaryn
