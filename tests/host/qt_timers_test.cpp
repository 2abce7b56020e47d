#include "host/qt_timers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/host/qt_test_app.h"

namespace rotaryn::host {
namespace {

class QtTimersTest : public ::testing::Test {
 protected:
  QtTimersTest() { qtTestApp(); }
  std::vector<std::string> failures;
  QtTimers timers{[this](const std::string& failure) { failures.push_back(failure); }};
  QtEventPump pump;
};

TEST_F(QtTimersTest, ArmedTimersTickRepeatedlyAndIdleOnesNever) {
  int fast = 0;
  int slow = 0;
  int zero = 0;
  timers.start("fast", 1, 10, [&] { ++fast; });
  timers.start("slow", 1, 40, [&] { ++slow; });
  timers.start("zero", 1, 0, [&] { ++zero; });  // interval 0: a disabled VB timer

  ASSERT_TRUE(runEventsUntil([&] { return slow >= 2; }, 5000));
  EXPECT_GT(fast, slow);
  EXPECT_EQ(zero, 0);

  timers.stop("fast", 1);
  int fastWhenStopped = fast;
  ASSERT_TRUE(runEventsUntil([&] { return slow >= 4; }, 5000));
  EXPECT_EQ(fast, fastWhenStopped);
}

TEST_F(QtTimersTest, ATickMayStopItsOwnTimerAndAFailingTickIsReported) {
  int selfStopping = 0;
  int steady = 0;
  timers.start("once", 2, 5, [&] {
    ++selfStopping;
    timers.stop("once", 2);
  });
  timers.start("throws", 2, 5, [] { throw std::runtime_error("tick broke"); });
  timers.start("steady", 2, 5, [&] { ++steady; });

  ASSERT_TRUE(runEventsUntil([&] { return steady >= 3; }, 5000));
  EXPECT_EQ(selfStopping, 1);
  ASSERT_FALSE(failures.empty());
  EXPECT_EQ(failures.front(), "tick broke");
}

TEST_F(QtTimersTest, TicksDueCloseTogetherShareOneWakeUp) {
  int first = 0;
  int second = 0;
  timers.start("tmrMaps", 1, 60, [&] { ++first; });
  pump.sleep(4);
  timers.start("tmrMaps", 2, 60, [&] { ++second; });

  ASSERT_TRUE(runEventsUntil([&] { return first >= 1 && second >= 1; }, 5000));
  EXPECT_EQ(timers.wakeUps(), 1u);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST_F(QtTimersTest, TimersOfSecondsStartedApartShareAPhaseAndWaitAtLeastTheirInterval) {
  // Monitors of profiles loaded 30 and 600 ms after the first.
  QElapsedTimer since;
  since.start();
  std::vector<int64_t> startedAt;
  std::vector<int64_t> firstTickAt(3, -1);
  std::vector<int> ticks(3, 0);
  for (int i = 0; i < 3; ++i) {
    if (i > 0) pump.sleep(i == 1 ? 30 : 570);
    startedAt.push_back(since.elapsed());
    timers.start("tmrMaps", i, 1000, [&, i] {
      if (ticks[i]++ == 0) firstTickAt[i] = since.elapsed();
    });
  }
  ASSERT_TRUE(runEventsUntil([&] { return ticks[2] >= 1; }, 5000));
  for (int i = 0; i < 3; ++i) EXPECT_GE(firstTickAt[i] - startedAt[i], 1000) << i;

  // From then on one wake-up a second runs all three.
  const uint64_t wakeUps = timers.wakeUps();
  const std::vector<int> before = ticks;
  ASSERT_TRUE(runEventsUntil([&] { return ticks[2] > before[2]; }, 5000));
  EXPECT_EQ(timers.wakeUps(), wakeUps + 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ticks[i], before[i] + 1) << i;
}

TEST_F(QtTimersTest, DoEventsRunsATickThatFellDueDuringASleep) {
  int ticks = 0;
  timers.start("due", 5, 1, [&] { ++ticks; });
  pump.sleep(20);
  EXPECT_EQ(ticks, 0);  // Sleep runs nothing
  pump.doEvents();
  EXPECT_EQ(ticks, 1);  // a late timer ticks once, not once per period missed
}

}  // namespace
}  // namespace rotaryn::host
