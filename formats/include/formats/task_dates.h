#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace rotaryn::formats {

// A task runs "Once" on its date, or every day, week or month from it on.
inline constexpr std::array<std::string_view, 4> kTaskFrequencies{"Once", "Every Day", "Every Week",
                                                                  "Every Month"};
inline constexpr std::string_view kOnce = kTaskFrequencies[0];
inline constexpr std::string_view kEveryDay = kTaskFrequencies[1];
inline constexpr std::string_view kEveryWeek = kTaskFrequencies[2];
inline constexpr std::string_view kEveryMonth = kTaskFrequencies[3];

// The frequency of that name, compared exactly or, when `anyCase`, ignoring ASCII case;
// nullopt when there is none.
std::optional<std::string_view> taskFrequency(std::string_view text, bool anyCase = false);

struct TaskDate {
  int year = 0;
  int month = 0;
  int day = 0;
};
struct TaskTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The date of a task's "dd/mm/yyyy" text (day first, whatever the system's own date order), as
// the plug-in reads its task file: blanks around the text and its parts, one to four digits a
// part, a two-digit year in 2000-2099. nullopt for a text that names no calendar date.
std::optional<TaskDate> parseTaskDate(std::string_view text);
// The time of an "hh:mm:ss" text, read alike; nullopt for one that names no time of day.
std::optional<TaskTime> parseTaskTime(std::string_view text);

// What is wrong with a task's date or time text in the exact form the window writes and the
// remote tools send: "dd/mm/yyyy" and "hh:mm:ss", two or four digits each part.
enum class TaskTextProblem {
  None,
  NotTheForm,  // not the digits and separators of the form
  NoSuchDate,  // the form, but no calendar date (31/02/2026) or no time of day (24:00:00)
};
TaskTextProblem taskDateProblem(std::string_view text);
TaskTextProblem taskTimeProblem(std::string_view text);
// "dd/mm/yyyy hh:mm:ss", the name of a task: the worse problem of its two parts first by date.
struct TaskWhenProblem {
  TaskTextProblem date = TaskTextProblem::None;
  TaskTextProblem time = TaskTextProblem::None;
  bool ok() const { return date == TaskTextProblem::None && time == TaskTextProblem::None; }
  bool form() const {
    return date == TaskTextProblem::NotTheForm || time == TaskTextProblem::NotTheForm;
  }
};
TaskWhenProblem taskWhenProblem(std::string_view text);

}  // namespace rotaryn::formats
