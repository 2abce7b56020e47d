#include "formats/task_dates.h"

#include "formats/civil_time.h"

namespace rotaryn::formats {
namespace {

bool isBlank(char c) {
  return c == ' ';  // as VB's Trim: spaces only
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Three whole numbers of at most four digits separated by `separator`, blanks around allowed.
std::optional<std::array<int, 3>> threeNumbers(std::string_view text, char separator) {
  text = trimmed(text);
  std::array<int, 3> numbers{};
  for (size_t i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? text.find(separator) : text.size();
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view part = trimmed(text.substr(0, end));
    if (part.empty() || part.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    numbers[i] = value;
    text = i < 2 ? text.substr(end + 1) : std::string_view();
  }
  return numbers;
}

// Digits and separators exactly as `form` shows them ('9' a digit).
bool hasForm(std::string_view text, std::string_view form) {
  if (text.size() != form.size()) return false;
  for (size_t i = 0; i < form.size(); ++i) {
    if (form[i] == '9' ? text[i] < '0' || text[i] > '9' : text[i] != form[i]) return false;
  }
  return true;
}

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

}  // namespace

std::optional<std::string_view> taskFrequency(std::string_view text, bool anyCase) {
  for (std::string_view frequency : kTaskFrequencies) {
    if (text.size() != frequency.size()) continue;
    bool same = true;
    for (size_t i = 0; i < text.size() && same; ++i) {
      same = anyCase ? lowered(text[i]) == lowered(frequency[i]) : text[i] == frequency[i];
    }
    if (same) return frequency;
  }
  return std::nullopt;
}

std::optional<TaskDate> parseTaskDate(std::string_view text) {
  auto numbers = threeNumbers(text, '/');
  if (!numbers) return std::nullopt;
  auto [day, month, year] = *numbers;
  if (year < 100) year += 2000;
  if (!isCalendarDate(year, month, day)) return std::nullopt;
  return TaskDate{year, month, day};
}

std::optional<TaskTime> parseTaskTime(std::string_view text) {
  auto numbers = threeNumbers(text, ':');
  if (!numbers) return std::nullopt;
  auto [hour, minute, second] = *numbers;
  if (!isTimeOfDay(hour, minute, second)) return std::nullopt;
  return TaskTime{hour, minute, second};
}

TaskTextProblem taskDateProblem(std::string_view text) {
  if (!hasForm(text, "99/99/9999")) return TaskTextProblem::NotTheForm;
  return parseTaskDate(text) ? TaskTextProblem::None : TaskTextProblem::NoSuchDate;
}

TaskTextProblem taskTimeProblem(std::string_view text) {
  if (!hasForm(text, "99:99:99")) return TaskTextProblem::NotTheForm;
  return parseTaskTime(text) ? TaskTextProblem::None : TaskTextProblem::NoSuchDate;
}

TaskWhenProblem taskWhenProblem(std::string_view text) {
  if (text.size() != 19 || text[10] != ' ') {
    return {TaskTextProblem::NotTheForm, TaskTextProblem::NotTheForm};
  }
  return {taskDateProblem(text.substr(0, 10)), taskTimeProblem(text.substr(11))};
}

}  // namespace rotaryn::formats
