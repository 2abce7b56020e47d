#pragma once

#include <cstdint>
#include <optional>

#include "host/keyed_timers.h"
#include "host/port_table.h"

namespace rotaryn::host {

// Clock, timers and event pump in virtual time, for scripted runs. Nothing happens unless the
// owner moves time: advance() runs the ticks that fall due, doEvents() runs what is due now,
// sleep() moves time without running anything (Windows Sleep blocks).
class VirtualTime final : public HostClock, public HostTimers, public HostPump {
 public:
  explicit VirtualTime(LocalTime wallClock = LocalTime{});

  LocalTime now() const override;
  int64_t monotonicMs() const override { return nowMs_; }

  void start(const std::string& name, int index, int intervalMs, Tick tick) override;
  void stop(const std::string& name, int index) override;

  // Runs each timer due now (also those that fell due during a sleep), once, in due order.
  void doEvents() override;
  void sleep(int milliseconds) override;

  // Moves virtual time on, stopping at each due tick in time order to run it.
  void advance(int64_t milliseconds);
  // The wall clock shows this local time now and moves on with virtual time from here.
  void setWallClock(const LocalTime& wallClock);
  std::optional<int64_t> untilNextTickMs() const;
  const KeyedTimers& timers() const { return timers_; }

 private:
  KeyedTimers timers_;
  int64_t nowMs_ = 0;
  // Where the wall clock stands in its minute, for the minute timers.
  int msIntoMinute() const;

  LocalTime wallClock_;
  int64_t wallClockSetAtMs_ = 0;
};

}  // namespace rotaryn::host
