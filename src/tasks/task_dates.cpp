#include "tasks/task_dates.h"

#include <array>
#include <optional>
#include <vector>

#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace rotaryn {
namespace {

// Three whole numbers of at most four digits separated by `separator`, blanks around allowed.
std::optional<std::array<int, 3>> threeNumbers(const std::string& text, const char* separator) {
  const std::vector<std::string> parts = vb::Split(vb::Trim(text), separator);
  if (parts.size() != 3) return std::nullopt;
  std::array<int, 3> numbers{};
  for (size_t i = 0; i < 3; ++i) {
    const std::string part = vb::Trim(parts[i]);
    if (part.empty() || part.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    numbers[i] = value;
  }
  return numbers;
}

[[noreturn]] void notA(const char* what, const std::string& text) {
  raiseVbError(vberr::kTypeMismatch, "\"" + text + "\" is not a " + what);
}

}  // namespace

DateTime taskDateOf(const std::string& dateText) {
  auto numbers = threeNumbers(dateText, "/");
  if (!numbers) notA("date dd/mm/yyyy", dateText);
  auto [day, month, year] = *numbers;
  if (year < 100) year += 2000;
  if (!vb::IsValidDate(year, month, day)) notA("date dd/mm/yyyy", dateText);
  return DateTime{year, month, day, 0, 0, 0};
}

long calendarSerial(const std::string& dateText) {
  const DateTime date = taskDateOf(dateText);
  return vb::DateSerial(date.year, date.month, date.day);
}

DateTime taskTimeOf(const std::string& timeText, const DateTime& onDay) {
  auto numbers = threeNumbers(timeText, ":");
  if (!numbers) notA("time hh:mm:ss", timeText);
  auto [hour, minute, second] = *numbers;
  if (hour > 23 || minute > 59 || second > 59) notA("time hh:mm:ss", timeText);
  return DateTime{onDay.year, onDay.month, onDay.day, hour, minute, second};
}

}  // namespace rotaryn
