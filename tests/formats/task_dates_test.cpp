#include "formats/task_dates.h"

#include <gtest/gtest.h>

#include "formats/civil_time.h"

namespace rotaryn::formats {
namespace {

// The plug-in reads a task file leniently; the exact form the tools send is a part of that
// grammar, so a date the tools may send is one the plug-in reads as the same date.
TEST(TaskDates, TheExactFormIsTheLenientGrammarWithTwoOrFourDigits) {
  struct Case {
    const char* text;
    bool plugInReads;
    TaskTextProblem exact;
  };
  for (const Case& c : {Case{"25/12/2026", true, TaskTextProblem::None},
                        Case{"29/02/2028", true, TaskTextProblem::None},
                        Case{"31/02/2026", false, TaskTextProblem::NoSuchDate},
                        Case{"29/02/2026", false, TaskTextProblem::NoSuchDate},
                        Case{"00/01/2026", false, TaskTextProblem::NoSuchDate},
                        Case{" 5/1/26 ", true, TaskTextProblem::NotTheForm},
                        Case{"5/1/2026", true, TaskTextProblem::NotTheForm},
                        Case{"25-12-2026", false, TaskTextProblem::NotTheForm},
                        Case{"25/12/2026/1", false, TaskTextProblem::NotTheForm}}) {
    EXPECT_EQ(parseTaskDate(c.text).has_value(), c.plugInReads) << c.text;
    EXPECT_EQ(taskDateProblem(c.text), c.exact) << c.text;
  }
  EXPECT_EQ(parseTaskDate(" 5/1/26 ")->year, 2026);
  EXPECT_EQ(taskTimeProblem("23:59:59"), TaskTextProblem::None);
  EXPECT_EQ(taskTimeProblem("24:00:00"), TaskTextProblem::NoSuchDate);
  EXPECT_EQ(taskTimeProblem("9:00:00"), TaskTextProblem::NotTheForm);
  EXPECT_TRUE(taskWhenProblem("25/12/2026 20:00:00").ok());
  EXPECT_TRUE(taskWhenProblem("25/12/2026T20:00:00").form());
  EXPECT_EQ(taskWhenProblem("31/02/2026 20:00:00").date, TaskTextProblem::NoSuchDate);
}

TEST(TaskDates, FrequenciesByExactNameOrAnyCase) {
  EXPECT_EQ(taskFrequency("Every Week"), kEveryWeek);
  EXPECT_EQ(taskFrequency("every week"), std::nullopt);
  EXPECT_EQ(taskFrequency("EVERY WEEK", true), kEveryWeek);
  EXPECT_EQ(taskFrequency("Weekly", true), std::nullopt);
}

TEST(CivilTime, ParsesTheJsonFormsAndCountsSecondsAcrossTheCalendar) {
  EXPECT_EQ(parseCivilTime("2026-12-31"), (CivilTime{2026, 12, 31, 0, 0, 0}));
  EXPECT_EQ(parseCivilTime("2026-12-31T23:59:58"), (CivilTime{2026, 12, 31, 23, 59, 58}));
  for (const char* bad : {"2026-02-30", "2026-12-31 24:00:00", "2026-12-31x23:00:00",
                          "2026-12-31 23:00:00 ", "0099-01-01"}) {
    EXPECT_EQ(parseCivilTime(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(formatCivilTime({2027, 1, 1, 0, 0, 3}), "2027-01-01 00:00:03");
  EXPECT_EQ(addSeconds({2026, 12, 31, 23, 59, 58}, 5), (CivilTime{2027, 1, 1, 0, 0, 3}));
  EXPECT_EQ(addSeconds({2028, 3, 1, 0, 0, 0}, -1), (CivilTime{2028, 2, 29, 23, 59, 59}));
}

}  // namespace
}  // namespace rotaryn::formats
