#include "host/qt_timers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/vb_error.h"
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
  int stopped = 0;
  int zero = 0;
  timers.create("fast", 1, [&] { ++fast; });
  timers.setInterval("fast", 1, 10);
  timers.start("fast", 1);
  timers.create("slow", 1, [&] { ++slow; });
  timers.setInterval("slow", 1, 40);
  timers.start("slow", 1);
  timers.create("stopped", 1, [&] { ++stopped; });
  timers.setInterval("stopped", 1, 5);
  timers.create("zero", 1, [&] { ++zero; });  // running with interval 0: a disabled VB timer
  timers.start("zero", 1);

  ASSERT_TRUE(runEventsUntil([&] { return slow >= 2; }, 5000));
  EXPECT_GT(fast, slow);
  EXPECT_EQ(stopped, 0);
  EXPECT_EQ(zero, 0);

  timers.stop("fast", 1);
  int fastWhenStopped = fast;
  ASSERT_TRUE(runEventsUntil([&] { return slow >= 4; }, 5000));
  EXPECT_EQ(fast, fastWhenStopped);
}

TEST_F(QtTimersTest, ATickMayDestroyItsOwnTimerAndAFailingTickIsReported) {
  int selfDestroying = 0;
  int steady = 0;
  timers.create("once", 2, [&] {
    ++selfDestroying;
    timers.destroy("once", 2);
  });
  timers.setInterval("once", 2, 5);
  timers.start("once", 2);
  timers.create("throws", 2, [] { throw std::runtime_error("tick broke"); });
  timers.setInterval("throws", 2, 5);
  timers.start("throws", 2);
  timers.create("steady", 2, [&] { ++steady; });
  timers.setInterval("steady", 2, 5);
  timers.start("steady", 2);

  ASSERT_TRUE(runEventsUntil([&] { return steady >= 3; }, 5000));
  EXPECT_EQ(selfDestroying, 1);
  EXPECT_FALSE(timers.exists("once", 2));
  ASSERT_FALSE(failures.empty());
  EXPECT_EQ(failures.front(), "tick broke");
}

TEST_F(QtTimersTest, TicksDueCloseTogetherShareOneWakeUp) {
  int first = 0;
  int second = 0;
  timers.create("tmrMaps", 1, [&] { ++first; });
  timers.setInterval("tmrMaps", 1, 60);
  timers.start("tmrMaps", 1);
  pump.sleep(4);
  timers.create("tmrMaps", 2, [&] { ++second; });
  timers.setInterval("tmrMaps", 2, 60);
  timers.start("tmrMaps", 2);

  ASSERT_TRUE(runEventsUntil([&] { return first >= 1 && second >= 1; }, 5000));
  EXPECT_EQ(timers.wakeUps(), 1u);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST_F(QtTimersTest, RaisesTheControlArrayErrors) {
  timers.create("tmrMaps", 3, [] {});
  try {
    timers.create("tmrMaps", 3, [] {});
    FAIL() << "a second create was accepted";
  } catch (const VbError& error) {
    EXPECT_EQ(error.number(), vberr::kObjectAlreadyLoaded);
  }
  try {
    timers.start("tmrMaps", 4);
    FAIL() << "a missing timer was started";
  } catch (const VbError& error) {
    EXPECT_EQ(error.number(), vberr::kControlArrayElementMissing);
  }
  timers.destroy("tmrMaps", 4);  // missing: nothing happens
  timers.setInterval("tmrMaps", 3, 2000);
  timers.start("tmrMaps", 3);
  EXPECT_TRUE(timers.isRunning("tmrMaps", 3));
  EXPECT_EQ(timers.interval("tmrMaps", 3), 2000);
  timers.destroyAll();
  EXPECT_FALSE(timers.exists("tmrMaps", 3));
}

TEST_F(QtTimersTest, DoEventsRunsATickThatFellDueDuringASleep) {
  int ticks = 0;
  timers.create("due", 5, [&] { ++ticks; });
  timers.setInterval("due", 5, 1);
  timers.start("due", 5);
  pump.sleep(20);
  EXPECT_EQ(ticks, 0);  // Sleep runs nothing
  pump.doEvents();
  EXPECT_EQ(ticks, 1);  // a late timer ticks once, not once per period missed
}

}  // namespace
}  // namespace rotaryn::host
