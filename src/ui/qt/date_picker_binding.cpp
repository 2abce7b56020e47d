#include "ui/qt/date_picker_binding.h"

namespace rotaryn {

DatePickerBinding::DatePickerBinding(DatePicker& picker, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(picker, new QDateTimeEdit(parent), designPlace),
      picker_(picker),
      widget_(static_cast<QDateTimeEdit*>(widget())) {
  // The VB custom formats the window uses read the same in Qt ("dd/MM/yyyy", "HH:mm:ss").
  widget_->setDisplayFormat(QString::fromStdString(picker.customFormat));
  bool showsDate = (widget_->displayedSections() & QDateTimeEdit::DateSections_Mask) != 0;
  widget_->setCalendarPopup(showsDate);

  connect(widget_, &QDateTimeEdit::dateTimeChanged, this, [this, showsDate](const QDateTime&) {
    if (rendering_) return;
    DateTime value = picker_.value;
    if (showsDate) {
      QDate date = widget_->date();
      value.year = date.year();
      value.month = date.month();
      value.day = date.day();
    }
    if ((widget_->displayedSections() & QDateTimeEdit::TimeSections_Mask) != 0) {
      QTime time = widget_->time();
      value.hour = time.hour();
      value.minute = time.minute();
      value.second = time.second();
    }
    forwardInput([&] { picker_.value = value; });
  });
}

void DatePickerBinding::renderContent(Change what) {
  if (what == Change::Value) renderAllContent();
}

void DatePickerBinding::renderAllContent() {
  const DateTime& value = picker_.value;
  rendering_ = true;
  widget_->setDate(QDate(value.year, value.month, value.day));
  widget_->setTime(QTime(value.hour, value.minute, value.second));
  rendering_ = false;
}

}  // namespace rotaryn
