#pragma once

#include <string>

#include "platform/vb_date.h"

namespace rotaryn {

// The date serial of a task's "dd/mm/yyyy" date text (day first, whatever the system's own
// date order); 13 "Type mismatch" for a text that is no such date.
long calendarSerial(const std::string& dateText);
// The date of a "dd/mm/yyyy" text at midnight; 13 for a text that is no such date.
DateTime taskDateOf(const std::string& dateText);
// `onDay` at the time of an "hh:mm:ss" text; 13 for a text that is no such time.
DateTime taskTimeOf(const std::string& timeText, const DateTime& onDay);

}  // namespace rotaryn
