#include "platform/vb_date.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/vb_error.h"

namespace rotaryn::vb {
namespace {

// The task and log patterns; "mm" is minutes only right after an hour.
TEST(Format, TaskAndLogPatternsAndMmAfterAnHour) {
  EXPECT_EQ(Format({2026, 12, 5, 16, 20, 9}, "dd/mm/yyyy hh:mm:ss"), "05/12/2026 16:20:09");
  const DateTime early{2026, 1, 2, 3, 4, 5};
  EXPECT_EQ(Format(early, "HH:MM:SS"), "03:04:05");
  EXPECT_EQ(Format(early, "d/m/yy h:n:s"), "2/1/26 3:4:5");

  const DateTime when{2026, 7, 8, 9, 41, 0};
  EXPECT_EQ(Format(when, "mm"), "07");
  EXPECT_EQ(Format(when, "hh mm"), "09 41");
  EXPECT_EQ(Format(when, "mm hh"), "07 09");
  EXPECT_EQ(Format(when, "hh:nn dd/mm"), "09:41 08/07");
  EXPECT_EQ(Format(when, "mmm dddd ddd mmmm"), "Jul Wednesday Wed July");
  EXPECT_EQ(Format(when, "\\d\"hh\"d"), "dhh8");
}

TEST(DateSerial, CountsDaysFromVbsEpochAndRollsOver) {
  EXPECT_EQ(DateSerial(1899, 12, 30), 0);
  EXPECT_EQ(DateSerial(2000, 1, 1), 36526);
  EXPECT_EQ(DateSerial(1899, 12, 29), -1);
  EXPECT_EQ(FromSerial(46361), (DateTime{2026, 12, 5}));
  EXPECT_EQ(FromSerial(-1), (DateTime{1899, 12, 29}));
  EXPECT_EQ(DateSerial(2026, 13, 1), DateSerial(2027, 1, 1));
  EXPECT_EQ(DateSerial(2026, 3, 0), DateSerial(2026, 2, 28));
  EXPECT_EQ(DateSerial(2026, 0, 1), DateSerial(2025, 12, 1));
  EXPECT_EQ(DateSerial(26, 1, 1), DateSerial(2026, 1, 1));
  EXPECT_EQ(DateSerial(99, 1, 1), DateSerial(1999, 1, 1));
  EXPECT_THROW(DateSerial(10000, 1, 1), VbError);
  EXPECT_TRUE(IsValidDate(2024, 2, 29));
  EXPECT_FALSE(IsValidDate(2026, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_FALSE(IsValidDate(2026, 13, 1));
  EXPECT_FALSE(IsValidDate(2026, 4, 31));
}

TEST(DateAdd, MonthsClampToTheMonthEndAndSecondsCarry) {
  EXPECT_EQ(AddMonths({2026, 1, 31, 10, 0, 0}, 1), (DateTime{2026, 2, 28, 10, 0, 0}));
  EXPECT_EQ(AddMonths({2024, 1, 31}, 1), (DateTime{2024, 2, 29}));
  EXPECT_EQ(AddMonths({2026, 3, 31}, 11), (DateTime{2027, 2, 28}));
  EXPECT_EQ(AddDays({2026, 12, 31, 20, 0, 0}, 1), (DateTime{2027, 1, 1, 20, 0, 0}));
  EXPECT_EQ(AddDays({2024, 3, 1}, -1), (DateTime{2024, 2, 29}));
  EXPECT_EQ(AddSeconds({2026, 12, 31, 23, 59, 59}, 1), (DateTime{2027, 1, 1, 0, 0, 0}));
  EXPECT_EQ(AddSeconds({2026, 1, 1, 0, 0, 0}, -1), (DateTime{2025, 12, 31, 23, 59, 59}));
  EXPECT_EQ(AddSeconds({2026, 1, 1, 0, 0, 0}, 86400 * 2 + 3661), (DateTime{2026, 1, 3, 1, 1, 1}));
}

TEST(Rnd, FirstValuesFromVbsDefaultSeed) {
  Rnd rnd;
  // What VB6 prints for Rnd right after start-up (Single precision).
  for (float value : {0.7055475f, 0.533424f, 0.5795186f, 0.2895625f, 0.301948f}) {
    EXPECT_FLOAT_EQ(static_cast<float>(rnd.next()), value);
  }
}

TEST(Rnd, RandomizeMixesTheSeedAndKeepsTheLowByte) {
  Rnd zero;
  zero.randomize(0.0);  // from the start state 0x050000 this leaves 0
  EXPECT_DOUBLE_EQ(zero.next(), 12820163.0 / 16777216.0);

  Rnd once;
  once.randomize(12345.0);
  Rnd twice;
  twice.randomize(12345.0);
  twice.next();
  twice.randomize(12345.0);
  EXPECT_NE(once.next(), twice.next());  // the same seed again does not repeat a sequence
}

}  // namespace
}  // namespace rotaryn::vb
