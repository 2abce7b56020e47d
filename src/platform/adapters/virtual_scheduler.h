#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "formats/virtual_time.h"
#include "platform/adapters/timer_table.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/timers.h"

namespace rotaryn {

// Clock, timers and event pump in virtual time, for tests and the host's script mode. Nothing
// happens unless the owner moves time: advance() runs the ticks that fall due, doEvents() runs
// what is due now, sleep() moves time without running anything (Windows Sleep blocks).
// Single-threaded; ticks may call back into the scheduler (create, stop or destroy timers,
// itself included; doEvents; sleep; even advance from a dialog hook). The clock and the timers
// are the shared virtual time the host's script mode runs, minute timers aligned to the wall
// clock's minutes as in production.
class VirtualScheduler final : public Clock, public Timers, public EventPump {
 public:
  // The wall clock starts at the given local time and moves with virtual time.
  explicit VirtualScheduler(DateTime wallClock = DateTime{2000, 1, 1, 0, 0, 0});

  // Clock: the wall clock to the second; virtual milliseconds since construction.
  DateTime now() const override;
  int64_t monotonicMs() const override;

  // Timers, as timers.h says: 360 for a second create, 340 for a missing one.
  void create(const std::string& name, int index, Tick tick) override;
  bool exists(const std::string& name, int index) const override;
  void setInterval(const std::string& name, int index, int intervalMs) override;
  void start(const std::string& name, int index) override;
  void stop(const std::string& name, int index) override;
  int interval(const std::string& name, int index) const override;
  bool isRunning(const std::string& name, int index) const override;
  void destroy(const std::string& name, int index) override;
  void destroyAll() override;

  // Runs each armed timer that is due now (also those that fell due during a sleep), once,
  // in due order (ties by creation order). Timers created meanwhile wait for the next call.
  void doEvents() override;
  // Moves virtual time on by the milliseconds given; runs nothing.
  void sleep(int milliseconds) override;

  // Moves virtual time on by the milliseconds given, stopping at each due tick in time order
  // (ties by creation order) to run it; a timer is re-armed by its interval before its tick
  // runs. A negative amount counts as 0.
  void advance(int64_t milliseconds);
  // Sets the wall clock to the given local time now; it moves on with virtual time from here.
  void setWallClock(const DateTime& wallClock);
  // Milliseconds until the next tick is due (0 when one is overdue); nullopt when no timer is
  // armed.
  std::optional<int64_t> untilNextTickMs() const;
  // Total milliseconds passed in sleep() so far.
  int64_t sleptMs() const { return time_.sleptMs(); }

 private:
  formats::VirtualTime time_;
  TimerTable timers_{time_.timers()};
};

}  // namespace rotaryn
