#include "tasks/task_dates.h"

#include "formats/task_dates.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace rotaryn {
namespace {

[[noreturn]] void notA(const char* what, const std::string& text) {
  raiseVbError(vberr::kTypeMismatch, "\"" + text + "\" is not a " + what);
}

}  // namespace

DateTime taskDateOf(const std::string& dateText) {
  const std::optional<formats::TaskDate> date = formats::parseTaskDate(dateText);
  if (!date) notA("date dd/mm/yyyy", dateText);
  return DateTime{date->year, date->month, date->day, 0, 0, 0};
}

long calendarSerial(const std::string& dateText) {
  const DateTime date = taskDateOf(dateText);
  return vb::DateSerial(date.year, date.month, date.day);
}

DateTime taskTimeOf(const std::string& timeText, const DateTime& onDay) {
  const std::optional<formats::TaskTime> time = formats::parseTaskTime(timeText);
  if (!time) notA("time hh:mm:ss", timeText);
  return DateTime{onDay.year, onDay.month, onDay.day, time->hour, time->minute, time->second};
}

}  // namespace rotaryn
