#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rotaryn::formats {

// A local date and time as a clock reads it, without a time zone.
struct CivilTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend auto operator<=>(const CivilTime&, const CivilTime&) = default;
};

// Days of the month in that year (leap years as the Gregorian calendar has them).
int daysInMonth(int year, int month);
// A date the plug-in's calendar holds: years 100 to 9999, as VB's dates.
bool isCalendarDate(int year, int month, int day);
bool isTimeOfDay(int hour, int minute, int second);

// "yyyy-mm-dd hh:mm:ss".
std::string formatCivilTime(const CivilTime& when);
// "yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss" or "yyyy-mm-ddThh:mm:ss"; nullopt for anything else or a
// date or time that does not exist.
std::optional<CivilTime> parseCivilTime(std::string_view text);

// The time `seconds` later (or earlier, when negative), across days, months and years.
CivilTime addSeconds(const CivilTime& when, int64_t seconds);

}  // namespace rotaryn::formats
