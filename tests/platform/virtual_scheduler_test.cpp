#include "platform/adapters/virtual_scheduler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/adapters/scripted_dialogs.h"
#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn {
namespace {

using Log = std::vector<std::pair<std::string, int64_t>>;

class VirtualSchedulerTest : public ::testing::Test {
 protected:
  // Creates and starts a timer that logs (name, virtual time) on each tick.
  void startLogging(const std::string& name, int index, int intervalMs) {
    scheduler.create(name, index,
                     [this, name] { log.emplace_back(name, scheduler.monotonicMs()); });
    scheduler.setInterval(name, index, intervalMs);
    scheduler.start(name, index);
  }

  VirtualScheduler scheduler;
  Log log;
};

// Ties go by creation; stopped, zero-interval and never started timers stay silent.
TEST_F(VirtualSchedulerTest, AdvanceFiresRunningTimersInTimeOrder) {
  startLogging("tmrMaps", 1, 300);
  startLogging("tmrMaps", 2, 200);
  startLogging("tmrMapTasks", 1, 300);
  startLogging("zero", 1, 0);
  scheduler.create("unstarted", 1, [this] { log.emplace_back("unstarted", 0); });
  scheduler.setInterval("unstarted", 1, 100);
  startLogging("stopped", 1, 100);
  scheduler.stop("stopped", 1);

  scheduler.advance(600);
  EXPECT_EQ(log, (Log{{"tmrMaps", 200},
                      {"tmrMaps", 300},
                      {"tmrMapTasks", 300},
                      {"tmrMaps", 400},
                      {"tmrMaps", 600},
                      {"tmrMaps", 600},
                      {"tmrMapTasks", 600}}));
  EXPECT_EQ(scheduler.monotonicMs(), 600);
  EXPECT_EQ(scheduler.untilNextTickMs(), 200);
  EXPECT_TRUE(scheduler.isRunning("zero", 1));
  EXPECT_FALSE(scheduler.isRunning("stopped", 1));

  scheduler.destroy("tmrMaps", 1);
  scheduler.destroy("tmrMaps", 2);
  scheduler.destroy("tmrMapTasks", 1);
  EXPECT_EQ(scheduler.untilNextTickMs(), std::nullopt);
}

TEST_F(VirtualSchedulerTest, TicksMayDestroyThemselvesAndManageOtherTimers) {
  int selfTicks = 0;
  scheduler.create("once", 1, [&] {
    ++selfTicks;
    scheduler.destroy("once", 1);
    scheduler.stop("victim", 1);
    // A new timer under the same name is a different element.
    startLogging("once", 1, 250);
  });
  scheduler.setInterval("once", 1, 100);
  scheduler.start("once", 1);
  // Due at the same time as "once" but created later: stopped by it before its turn.
  startLogging("victim", 1, 100);
  scheduler.create("killer", 1, [&] { scheduler.destroyAll(); });
  scheduler.setInterval("killer", 1, 900);
  scheduler.start("killer", 1);

  scheduler.advance(2100);
  EXPECT_EQ(selfTicks, 1);
  EXPECT_EQ(log, (Log{{"once", 350}, {"once", 600}, {"once", 850}}));
  EXPECT_FALSE(scheduler.exists("once", 1));
  EXPECT_FALSE(scheduler.exists("killer", 1));
}

TEST_F(VirtualSchedulerTest, MissingAndDuplicateElementsRaiseVbErrors) {
  scheduler.create("tmrMaps", 1, [] {});
  EXPECT_EQ(errorOf([&] { scheduler.create("tmrMaps", 1, [] {}); }), 360);
  for (auto call : std::vector<std::function<void()>>{
           [&] { scheduler.start("tmrMaps", 3); }, [&] { scheduler.stop("tmrMaps", 3); },
           [&] { scheduler.setInterval("tmrMaps", 3, 10); },
           [&] { scheduler.interval("tmrMaps", 3); }, [&] { scheduler.isRunning("tmrMaps", 3); }}) {
    EXPECT_EQ(errorOf(call), 340);
  }
  EXPECT_EQ(errorOf([&] { scheduler.destroy("tmrMaps", 3); }), 0);
}

// Sleep runs nothing; the next DoEvents gives one late tick for the missed ones, as WM_TIMER
// does, and the timer keeps its phase on the interval grid.
TEST_F(VirtualSchedulerTest, SleepRunsNothingAndTheNextDoEventsCatchesUpOnce) {
  startLogging("tmrMaps", 1, 1000);
  startLogging("tmrMaps", 2, 4000);
  scheduler.sleep(2500);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(scheduler.monotonicMs(), 2500);
  scheduler.doEvents();
  scheduler.doEvents();
  EXPECT_EQ(log, (Log{{"tmrMaps", 2500}}));
  scheduler.advance(499);
  EXPECT_EQ(log.size(), 1u);
  scheduler.advance(1);
  EXPECT_EQ(log, (Log{{"tmrMaps", 2500}, {"tmrMaps", 3000}}));
}

TEST_F(VirtualSchedulerTest, DoEventsInsideATickRunsOtherDueTimersButNotTheCaller) {
  scheduler.create("waiter", 1, [&] {
    log.emplace_back("waiter", scheduler.monotonicMs());
    scheduler.sleep(300);  // Sleep, then let the UI breathe, as cmdSkip does
    scheduler.doEvents();
  });
  scheduler.setInterval("waiter", 1, 1000);
  scheduler.start("waiter", 1);
  startLogging("tmrMaps", 1, 1200);

  scheduler.advance(1000);
  EXPECT_EQ(log, (Log{{"waiter", 1000}, {"tmrMaps", 1300}}));
  EXPECT_EQ(scheduler.monotonicMs(), 1300);  // the sleep carried time past the target
  scheduler.advance(700);                    // next ticks: waiter 2000, tmrMaps 2400
  EXPECT_EQ(log.back(), (std::pair<std::string, int64_t>{"waiter", 2000}));
}

TEST_F(VirtualSchedulerTest, SettingTheIntervalRestartsTheCountdown) {
  startLogging("tmrMaps", 1, 1000);
  scheduler.advance(700);
  scheduler.setInterval("tmrMaps", 1, 1000);  // LoadInterface for a loaded profile
  scheduler.start("tmrMaps", 1);              // already running: no change
  scheduler.advance(999);
  EXPECT_TRUE(log.empty());
  scheduler.advance(1);
  EXPECT_EQ(log, (Log{{"tmrMaps", 1700}}));
}

// The task timer runs as the host's: due half a second into each wall minute, whenever it was
// started and however long a tick blocks.
TEST_F(VirtualSchedulerTest, AMinuteTimerTicksJustIntoEachWallMinute) {
  scheduler.setWallClock({2026, 12, 31, 23, 58, 40});
  scheduler.create("tmrMapTasks", 1, [this] {
    log.emplace_back("tmrMapTasks", scheduler.monotonicMs());
    scheduler.sleep(3000);
  });
  scheduler.setInterval("tmrMapTasks", 1, 60000);
  scheduler.start("tmrMapTasks", 1);
  scheduler.advance(80500);
  EXPECT_EQ(log, (Log{{"tmrMapTasks", 20500}, {"tmrMapTasks", 80500}}));
  EXPECT_EQ(scheduler.now(), (DateTime{2027, 1, 1, 0, 0, 3}));
}

// Unqueued boxes press the first button; queued answers go to boxes in order and must fit them.
TEST(ScriptedDialogs, BoxesTakeQueuedAnswersElseTheFirstButtonAndAreRecorded) {
  ScriptedDialogs dialogs;
  EXPECT_EQ(dialogs.messageBox("Map List updated successfully.", "Success", MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_EQ(dialogs.messageBox("Delete?", "Confirmation Required!", MessageButtons::YesNo),
            MessageAnswer::Yes);
  EXPECT_EQ(dialogs.messageBox("Save?", "t", MessageButtons::OkCancel), MessageAnswer::Ok);
  dialogs.queueAnswer(MessageAnswer::No);
  dialogs.queueAnswer(MessageAnswer::Cancel);
  dialogs.queueAnswer(MessageAnswer::Yes);
  EXPECT_EQ(dialogs.messageBox("a", "t", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(dialogs.messageBox("b", "t", MessageButtons::YesNoCancel), MessageAnswer::Cancel);
  EXPECT_THROW(dialogs.messageBox("c", "t", MessageButtons::Ok), std::logic_error);

  ASSERT_EQ(dialogs.boxes().size(), 5u);
  EXPECT_EQ(dialogs.boxes()[0].title, "Success");
  EXPECT_EQ(dialogs.boxes()[3].answer, MessageAnswer::No);
}

}  // namespace
}  // namespace rotaryn
