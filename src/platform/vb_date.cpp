#include "platform/vb_date.h"

#include <array>
#include <bit>
#include <cstdio>

#include "platform/vb_error.h"

namespace rotaryn::vb {
namespace {

constexpr long kSecondsPerDay = 86400;
// days_from_civil(1899, 12, 30): VB's day 0 counted from 1970-01-01.
constexpr long kSerialEpochShift = 25569;

constexpr std::array<const char*, 7> kDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames{"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};

long floorDiv(long a, long b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
int64_t floorDiv64(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Howard Hinnant's days_from_civil / civil_from_days, proleptic Gregorian as VB's Date is.
long daysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = floorDiv(y, 400);
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& year, int& month, int& day) {
  z += 719468;
  const long era = floorDiv(z, 146097);
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool isLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

long serialOf(const DateTime& when) {
  return daysFromCivil(when.year, when.month, when.day) + kSerialEpochShift;
}

std::string padded(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

// Mixes 32 bits into bits 8-23 of the generator state, keeping its low byte.
uint32_t mixedSeed(uint32_t state, uint32_t bits) {
  return (((bits & 0xFFFFu) << 8) ^ ((bits >> 8) & 0xFFFF00u)) | (state & 0xFF0000FFu);
}

}  // namespace

std::string Format(const DateTime& when, std::string_view pattern) {
  std::string out;
  bool afterHour = false;  // an "m" right after an hour token means minutes
  size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      out += pattern[i + 1];
      i += 2;
      continue;
    }
    if (c == '"') {
      size_t close = pattern.find('"', i + 1);
      if (close == std::string_view::npos) close = pattern.size();
      out.append(pattern.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    char letter = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (letter != 'd' && letter != 'm' && letter != 'y' && letter != 'h' && letter != 'n' &&
        letter != 's') {
      out += c;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && (pattern[i + run] | 0x20) == letter) ++run;
    i += run;
    switch (letter) {
      case 'd':
        if (run >= 4) {
          out += kDayNames[static_cast<size_t>(Weekday(when) - 1)];
        } else if (run == 3) {
          out += std::string(kDayNames[static_cast<size_t>(Weekday(when) - 1)], 3);
        } else {
          out += padded(when.day, static_cast<int>(run));
        }
        break;
      case 'm':
        if (afterHour && run <= 2) {
          out += padded(when.minute, static_cast<int>(run));
        } else if (run >= 4) {
          out += kMonthNames[static_cast<size_t>(when.month - 1)];
        } else if (run == 3) {
          out += std::string(kMonthNames[static_cast<size_t>(when.month - 1)], 3);
        } else {
          out += padded(when.month, static_cast<int>(run));
        }
        break;
      case 'y':
        if (run >= 4) {
          out += padded(when.year, 4);
        } else if (run >= 2) {
          out += padded(when.year % 100, 2);
        } else {
          out += std::to_string(DateSerial(when.year, when.month, when.day) -
                                DateSerial(when.year, 1, 1) + 1);
        }
        break;
      case 'h':
        out += padded(when.hour, run >= 2 ? 2 : 1);
        break;
      case 'n':
        out += padded(when.minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        out += padded(when.second, run >= 2 ? 2 : 1);
        break;
    }
    afterHour = letter == 'h';
  }
  return out;
}

int Weekday(const DateTime& when) {
  // Serial 0, 1899-12-30, was a Saturday.
  long serial = serialOf(when);
  return static_cast<int>(((serial % 7) + 7 + 6) % 7) + 1;
}

bool IsValidDate(int year, int month, int day) {
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

long DateSerial(int year, int month, int day) {
  // As VB's DateSerial: years 0-29 are 2000-2029, 30-99 are 1930-1999; months and days out of
  // range roll over into the neighbouring ones.
  long y = year;
  if (y >= 0 && y < 30) y += 2000;
  if (y >= 30 && y < 100) y += 1900;
  long monthIndex = y * 12 + (month - 1);
  y = floorDiv(monthIndex, 12);
  long m = monthIndex - y * 12 + 1;
  if (y < 100 || y > 9999) raiseVbError(vberr::kInvalidCall);
  long serial = daysFromCivil(y, m, 1) + kSerialEpochShift + (day - 1);
  DateTime check = FromSerial(serial);
  if (check.year < 100 || check.year > 9999) raiseVbError(vberr::kInvalidCall);
  return serial;
}

DateTime FromSerial(long days) {
  DateTime out;
  civilFromDays(days - kSerialEpochShift, out.year, out.month, out.day);
  out.hour = out.minute = out.second = 0;
  return out;
}

DateTime AddDays(const DateTime& when, long days) {
  DateTime out = FromSerial(serialOf(when) + days);
  out.hour = when.hour;
  out.minute = when.minute;
  out.second = when.second;
  return out;
}

DateTime AddMonths(const DateTime& when, long months) {
  long monthIndex = static_cast<long>(when.year) * 12 + (when.month - 1) + months;
  DateTime out = when;
  out.year = static_cast<int>(floorDiv(monthIndex, 12));
  out.month = static_cast<int>(monthIndex - static_cast<long>(out.year) * 12 + 1);
  int last = daysInMonth(out.year, out.month);
  if (out.day > last) out.day = last;
  return out;
}

DateTime AddSeconds(const DateTime& when, int64_t seconds) {
  int64_t total = static_cast<int64_t>(serialOf(when)) * kSecondsPerDay + when.hour * 3600 +
                  when.minute * 60 + when.second + seconds;
  int64_t days = floorDiv64(total, kSecondsPerDay);
  int64_t rest = total - days * kSecondsPerDay;
  DateTime out = FromSerial(static_cast<long>(days));
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

double Rnd::next() {
  state_ = (state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
  return static_cast<double>(state_) / 16777216.0;
}

void Rnd::randomize(double seed) {
  uint64_t bits = std::bit_cast<uint64_t>(seed);
  state_ = mixedSeed(state_, static_cast<uint32_t>(bits >> 32));
}

void Rnd::randomizeFromTimer(float timerSeconds) {
  state_ = mixedSeed(state_, std::bit_cast<uint32_t>(timerSeconds));
}

}  // namespace rotaryn::vb
