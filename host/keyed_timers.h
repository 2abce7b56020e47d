#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rotaryn::host {

// The repeating timers the plug-in arms, by (name, index), with due times on the owner's
// clock in milliseconds. Like Windows timers they keep their phase: a late tick stands for every
// period missed (one tick, not a burst). Not thread-safe; the UI thread owns it.
//
// A timer of one minute is the exception: the task runner looks for work in the minute its tick
// falls in, so a plain period would, drifting against the wall clock, now and then skip a minute
// or tick twice in one. Given where the wall clock stands in its minute, such a timer is due
// just after the next minute starts instead, so every minute gets exactly one tick while the
// thread is free.
class KeyedTimers {
 public:
  using Tick = std::function<void()>;
  static constexpr int kMinuteMs = 60000;
  // How far into its minute a one-minute tick is due: room for a tick run a little early (a
  // shared wake-up) and for the wall clock's drift against the owner's clock.
  static constexpr int kMinuteMarginMs = 500;
  struct Timer {
    std::string name;
    int index = 0;
    int intervalMs = 0;
    bool armed = false;
    int64_t dueMs = 0;
    uint64_t sequence = 0;  // arming order, breaks ties between equal due times
    Tick tick;
  };
  using TimerPtr = std::shared_ptr<Timer>;

  // Arms the timer to tick every interval from nowMs (re-arming one that runs). msIntoMinute:
  // where the wall clock stands in its minute (0-59999), or -1 to keep a minute timer's phase.
  void start(const std::string& name, int index, int intervalMs, Tick tick, int64_t nowMs,
             int msIntoMinute = -1);
  void stop(const std::string& name, int index);
  void stopAll();

  // The armed timer due first; null when none is.
  TimerPtr nextDue() const;
  // Armed timers due at or before nowMs, in firing order.
  std::vector<TimerPtr> dueBy(int64_t nowMs) const;
  // Whether a timer taken from dueBy may still fire: an earlier tick may have disarmed it.
  static bool stillDue(const TimerPtr& timer, int64_t nowMs);
  // Moves the timer to its next period after nowMs (a minute timer: just into the next wall
  // minute), then runs its tick.
  static void fire(const TimerPtr& timer, int64_t nowMs, int msIntoMinute = -1);
  // The due time of a minute timer: kMinuteMarginMs into the wall clock's next minute.
  static int64_t nextMinuteDue(int64_t nowMs, int msIntoMinute);
  // The armed timers, in key order.
  std::vector<TimerPtr> all() const;

 private:
  std::map<std::pair<std::string, int>, TimerPtr> timers_;
  uint64_t nextSequence_ = 0;
};

}  // namespace rotaryn::host
