#pragma once

#include <cstdint>
#include <optional>

#include "formats/virtual_time.h"
#include "host/port_table.h"

namespace rotaryn::host {

// The host's ports in the shared virtual time, for scripted runs: nothing happens unless the
// owner moves time (advance, doEvents; sleep moves time without running anything).
class VirtualTime final : public HostClock, public HostTimers, public HostPump {
 public:
  explicit VirtualTime(LocalTime wallClock = LocalTime{}) : time_(wallClock) {}

  LocalTime now() const override { return time_.now(); }
  int64_t monotonicMs() const override { return time_.monotonicMs(); }

  void start(const std::string& name, int index, int intervalMs, Tick tick) override {
    time_.timers().start(name, index, intervalMs, std::move(tick), time_.monotonicMs(),
                         time_.msIntoMinute());
  }
  void stop(const std::string& name, int index) override { time_.timers().remove(name, index); }

  void doEvents() override { time_.doEvents(); }
  void sleep(int milliseconds) override { time_.sleep(milliseconds); }

  void advance(int64_t milliseconds) { time_.advance(milliseconds); }
  void setWallClock(const LocalTime& wallClock) { time_.setWallClock(wallClock); }
  std::optional<int64_t> untilNextTickMs() const { return time_.untilNextTickMs(); }
  const formats::KeyedTimers& timers() const { return time_.timers(); }

 private:
  formats::VirtualTime time_;
};

}  // namespace rotaryn::host
