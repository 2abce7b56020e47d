#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/timers.h"

namespace rotaryn {

// The bookkeeping shared by the timer adapters: timers addressed by (name, index) with due
// times in milliseconds of the adapter's own clock. Raises the errors of timers.h. Not
// thread-safe: the adapters call it from their one UI thread.
class TimerTable {
 public:
  struct Timer {
    Timers::Tick tick;
    int intervalMs = 0;
    bool running = false;
    bool destroyed = false;
    int64_t dueMs = 0;
    uint64_t sequence = 0;  // creation order, breaks ties between equal due times
  };
  using TimerPtr = std::shared_ptr<Timer>;

  void create(const std::string& name, int index, Timers::Tick tick);
  bool exists(const std::string& name, int index) const;
  // Setting the interval of a running timer restarts its countdown from nowMs, as assigning
  // a VB timer's Interval does; a negative interval raises 380.
  void setInterval(const std::string& name, int index, int intervalMs, int64_t nowMs);
  // Starting a stopped timer counts its interval from nowMs; starting a running one changes
  // nothing (VB's Enabled = True on an enabled timer).
  void start(const std::string& name, int index, int64_t nowMs);
  void stop(const std::string& name, int index);
  int interval(const std::string& name, int index) const;
  bool isRunning(const std::string& name, int index) const;
  void destroy(const std::string& name, int index);
  void destroyAll();
  // The timer of that name and index; null when there is none.
  TimerPtr timer(const std::string& name, int index) const;
  // Every timer's name and index, in key order.
  std::vector<std::pair<std::string, int>> keys() const;

  // The armed timer (running, interval above 0) due first; null when there is none.
  TimerPtr nextDue() const;
  // Armed timers due at or before nowMs, in firing order.
  std::vector<TimerPtr> dueBy(int64_t nowMs) const;
  // Whether a timer taken from nextDue/dueBy may still fire at nowMs: a tick that ran before it
  // may have stopped, destroyed or re-armed it.
  static bool stillDue(const TimerPtr& timer, int64_t nowMs);
  // Re-arms the timer by its interval and then runs its tick. Like a Windows timer it keeps
  // its phase: a late tick stands for every period missed (one tick, not a burst) and the
  // next falls on the first period boundary after nowMs. The tick may create, stop or destroy
  // any timer, itself included.
  static void fire(const TimerPtr& timer, int64_t nowMs);

 private:
  using Key = std::pair<std::string, int>;
  Timer& find(const std::string& name, int index) const;
  static bool armed(const Timer& timer) { return timer.running && timer.intervalMs > 0; }

  std::map<Key, TimerPtr> timers_;
  uint64_t nextSequence_ = 0;
};

}  // namespace rotaryn
