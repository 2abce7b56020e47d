#pragma once

#include <cstdint>
#include <optional>

#include "formats/civil_time.h"
#include "formats/keyed_timers.h"

namespace rotaryn::formats {

// Clock, timers and event pump in virtual time, for tests and the host's script mode. Nothing
// happens unless the owner moves time: advance() runs the ticks that fall due, doEvents() runs
// what is due now, sleep() moves time without running anything (Windows Sleep blocks).
// Single-threaded; ticks may call back in (add, stop or remove timers, themselves included;
// doEvents; sleep; even advance from a dialog hook). Minute timers align to the wall clock's
// minutes as the host's real timers do.
class VirtualTime {
 public:
  // The wall clock starts at the given local time and moves with virtual time.
  explicit VirtualTime(CivilTime wallClock = CivilTime{});

  // The wall clock to the second; virtual milliseconds since construction.
  CivilTime now() const;
  int64_t monotonicMs() const { return nowMs_; }
  // Where the wall clock stands in its minute, for the minute timers.
  int msIntoMinute() const;

  KeyedTimers& timers() { return timers_; }
  const KeyedTimers& timers() const { return timers_; }
  // Arms the timer from now (its interval, or the next wall minute for a minute timer).
  void arm(KeyedTimers::Timer& timer) { KeyedTimers::arm(timer, nowMs_, msIntoMinute()); }

  // Runs each armed timer that is due now (also those that fell due during a sleep), once, in
  // due order (ties by creation order). Timers created meanwhile wait for the next call.
  void doEvents();
  // Moves virtual time on by the milliseconds given; runs nothing.
  void sleep(int milliseconds);
  // Moves virtual time on by the milliseconds given, stopping at each due tick in time order
  // (ties by creation order) to run it; a timer is re-armed before its tick runs. A negative
  // amount counts as 0.
  void advance(int64_t milliseconds);
  // The wall clock shows this local time now and moves on with virtual time from here.
  void setWallClock(const CivilTime& wallClock);
  // Milliseconds until the next tick is due (0 when one is overdue); nullopt when no timer is
  // armed.
  std::optional<int64_t> untilNextTickMs() const;
  // Total milliseconds passed in sleep() so far.
  int64_t sleptMs() const { return sleptMs_; }

 private:
  KeyedTimers timers_;
  int64_t nowMs_ = 0;
  int64_t sleptMs_ = 0;
  CivilTime wallClock_;
  int64_t wallClockSetAtMs_ = 0;
};

}  // namespace rotaryn::formats
