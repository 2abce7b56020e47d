#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rotaryn::formats {

// The plug-in's repeating timers, addressed by (name, index), with due times in milliseconds of
// the owner's clock: the bookkeeping of the host's real timers, of virtual time and of the
// core's test scheduler. Like Windows timers they keep their phase: a late tick stands for every
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
    Tick tick;
    int intervalMs = 0;
    bool running = false;
    bool removed = false;  // gone from the table; a holder from dueBy must not fire it
    int64_t dueMs = 0;
    uint64_t sequence = 0;  // creation order, breaks ties between equal due times
    bool armed() const { return running && intervalMs > 0 && !removed; }
  };
  using TimerPtr = std::shared_ptr<Timer>;

  // A new, stopped timer; null when that name and index has one already.
  TimerPtr add(const std::string& name, int index, Tick tick);
  // The timer of that name and index; null when there is none.
  TimerPtr find(const std::string& name, int index) const;
  // Runs the timer from nowMs: due one interval on, or for a minute timer given where the wall
  // clock stands in its minute (msIntoMinute 0-59999; -1 keeps the plain period), just into the
  // next minute.
  static void arm(Timer& timer, int64_t nowMs, int msIntoMinute);
  // The host's port: the timer (added when missing) ticks `tick` every interval from nowMs. A
  // timer of kSharedPhaseMinMs or more, short of a minute, first ticks at the next multiple of
  // its interval on the owner's clock, at least one interval on: every profile's two-second
  // monitor then ticks in the same wake-up however long the profiles took to load. A wake-up of
  // an otherwise idle host costs more than the ticks it runs (cold caches); fifty monitors loaded
  // over half a second woke the host a dozen times every two seconds.
  static constexpr int kSharedPhaseMinMs = 1000;
  void start(const std::string& name, int index, int intervalMs, Tick tick, int64_t nowMs,
             int msIntoMinute);
  // Forgets the timer (false when there was none); whoever holds it sees it removed.
  bool remove(const std::string& name, int index);
  void clear();
  // Every timer, in key order.
  std::vector<TimerPtr> all() const;

  // The armed timer due first; null when none is.
  TimerPtr nextDue() const;
  // Armed timers due at or before nowMs, in firing order.
  std::vector<TimerPtr> dueBy(int64_t nowMs) const;
  // Whether a timer taken from nextDue/dueBy may still fire at nowMs: a tick that ran before it
  // may have stopped, removed or re-armed it.
  static bool stillDue(const TimerPtr& timer, int64_t nowMs);
  // Moves the timer to its next period after nowMs (a minute timer: just into the next wall
  // minute), then runs its tick, which may add, re-arm or remove any timer, itself included.
  static void fire(const TimerPtr& timer, int64_t nowMs, int msIntoMinute);
  // The due time of a minute timer: kMinuteMarginMs into the wall clock's next minute.
  static int64_t nextMinuteDue(int64_t nowMs, int msIntoMinute);

 private:
  std::map<std::pair<std::string, int>, TimerPtr> timers_;
  uint64_t nextSequence_ = 0;
};

}  // namespace rotaryn::formats
