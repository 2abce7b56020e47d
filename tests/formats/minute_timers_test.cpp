#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>

#include "formats/keyed_timers.h"

namespace rotaryn::formats {
namespace {

// A week of one-minute ticks on a loop whose wake-ups come up to 15 ms early (a shared wake-up)
// or up to 80 ms late (a busy thread), with a wall clock running 60 ppm fast against the loop's
// own clock, as an uncorrected system clock does. Counts the ticks each wall minute got.
std::map<int64_t, int> ticksPerMinute(bool alignToTheMinute) {
  constexpr int64_t kWeekMs = int64_t{7} * 24 * 3600 * 1000;
  constexpr int64_t kWallStartMs = 37'250;  // the timer starts 37.25 s into a minute
  auto wallAt = [](int64_t loopMs) { return kWallStartMs + loopMs + loopMs * 60 / 1'000'000; };
  auto msIntoMinute = [&](int64_t loopMs) {
    return alignToTheMinute ? static_cast<int>(wallAt(loopMs) % KeyedTimers::kMinuteMs) : -1;
  };

  std::mt19937 random(14);
  std::uniform_int_distribution<int> jitter(-15, 80);
  KeyedTimers timers;
  std::map<int64_t, int> ticks;
  int64_t now = 0;
  timers.start(
      "tmrMapTasks", 1, KeyedTimers::kMinuteMs, [&] { ++ticks[wallAt(now) / 60000]; }, now,
      msIntoMinute(now));
  while (now < kWeekMs) {
    auto timer = timers.nextDue();
    now = std::max(now, timer->dueMs + jitter(random));
    KeyedTimers::fire(timer, now, msIntoMinute(now));
  }
  return ticks;
}

TEST(MinuteTimers, OverAWeekEveryMinuteTicksOnceDespiteDriftAndJitter) {
  std::map<int64_t, int> ticks = ticksPerMinute(true);
  const int64_t first = ticks.begin()->first;
  const int64_t last = ticks.rbegin()->first;
  EXPECT_EQ(last - first + 1, static_cast<int64_t>(ticks.size())) << "a minute without a tick";
  for (const auto& [minute, count] : ticks) ASSERT_EQ(count, 1) << "minute " << minute;
  EXPECT_GE(ticks.size(), 7u * 24 * 60 - 1);

  // The same loop with a plain 60-second period loses or doubles minutes.
  std::map<int64_t, int> plain = ticksPerMinute(false);
  const int64_t span = plain.rbegin()->first - plain.begin()->first + 1;
  int doubled = 0;
  for (const auto& [minute, count] : plain) doubled += count > 1 ? 1 : 0;
  EXPECT_TRUE(span != static_cast<int64_t>(plain.size()) || doubled > 0);
}

TEST(MinuteTimers, OtherIntervalsKeepTheirPhaseAndAMinuteTimerStartsInTheNextMinute) {
  KeyedTimers timers;
  timers.start(
      "tmrMaps", 1, 2000, [] {}, 0, 59'000);
  EXPECT_EQ(timers.nextDue()->dueMs, 2000);
  timers.remove("tmrMaps", 1);
  timers.start(
      "tmrMapTasks", 1, KeyedTimers::kMinuteMs, [] {}, 1000, 59'000);
  EXPECT_EQ(timers.nextDue()->dueMs, 1000 + 1000 + KeyedTimers::kMinuteMarginMs);
  // A tick that ran late, 20 s into its minute, is followed by one just into the next minute.
  KeyedTimers::fire(timers.nextDue(), 30'000, 20'000);
  EXPECT_EQ(timers.nextDue()->dueMs, 30'000 + 40'000 + KeyedTimers::kMinuteMarginMs);
}

}  // namespace
}  // namespace rotaryn::formats
