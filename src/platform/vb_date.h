#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rotaryn {

// A local date and time, as VB's Date holds it (to the second).
struct DateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;

  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

namespace vb {

// Formats with the subset of VB's Format patterns the system uses: "dd", "d", "mm" (month, or
// minutes right after an hour), "m", "yyyy", "yy", "hh", "h", "nn", "ss", literal separators.
// "dd/mm/yyyy" -> "05/12/2026"; "hh:mm:ss" -> "16:20:09"; "yyyy-mm-dd" -> "2026-12-05".
std::string Format(const DateTime& when, std::string_view pattern);
// Sunday = 1 ... Saturday = 7.
int Weekday(const DateTime& when);
bool IsValidDate(int year, int month, int day);
// Days since 1899-12-30, VB's date serial.
long DateSerial(int year, int month, int day);
DateTime FromSerial(long days);
// Adds days / months (clamping the day to the month's end, as VB's DateAdd does) / seconds.
DateTime AddDays(const DateTime& when, long days);
DateTime AddMonths(const DateTime& when, long months);
DateTime AddSeconds(const DateTime& when, int64_t seconds);

// VB's Rnd: x = (x * 1140671485 + 12820163) mod 2^24, seed 327680.
class Rnd {
 public:
  // The next number in [0, 1); the values are Singles, exactly as VB returns them.
  double next();
  // Randomize with a seed as VB's Randomize does with a number: the high 32 bits of the
  // Double, their two halves XORed, replace bits 8-23 of the state; the low byte stays, so the
  // same seed twice does not repeat a sequence (MSVBVM60 rtcRandomize).
  void randomize(double seed);
  // Randomize without an argument: VB seeds from Timer, seconds since midnight as a Single,
  // mixing the Single's 32 bits the same way.
  void randomizeFromTimer(float timerSeconds);

 private:
  uint32_t state_ = 327680;
};

}  // namespace vb
}  // namespace rotaryn
