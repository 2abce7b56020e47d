#include "formats/civil_time.h"

#include <array>
#include <cstdio>

namespace rotaryn::formats {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, CivilTime& out) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
}

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<size_t>(month - 1)];
}

bool isCalendarDate(int year, int month, int day) {
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

bool isTimeOfDay(int hour, int minute, int second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

std::string formatCivilTime(const CivilTime& when) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                when.hour, when.minute, when.second);
  return text;
}

std::optional<CivilTime> parseCivilTime(std::string_view view) {
  CivilTime when{};
  const std::string s(view);
  char separator = 0;
  int used = 0;
  const int fields =
      std::sscanf(s.c_str(), "%4d-%2d-%2d%n%c%2d:%2d:%2d%n", &when.year, &when.month, &when.day,
                  &used, &separator, &when.hour, &when.minute, &when.second, &used);
  if (fields == 3 && static_cast<size_t>(used) == s.size()) {
    when.hour = when.minute = when.second = 0;
  } else if (fields != 7 || (separator != ' ' && separator != 'T') ||
             static_cast<size_t>(used) != s.size()) {
    return std::nullopt;
  }
  if (!isCalendarDate(when.year, when.month, when.day) ||
      !isTimeOfDay(when.hour, when.minute, when.second)) {
    return std::nullopt;
  }
  return when;
}

CivilTime addSeconds(const CivilTime& when, int64_t seconds) {
  int64_t total = daysFromCivil(when.year, when.month, when.day) * 86400 + when.hour * 3600 +
                  when.minute * 60 + when.second + seconds;
  int64_t days = total / 86400;
  int64_t rest = total % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  CivilTime out;
  civilFromDays(days, out);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

}  // namespace rotaryn::formats
