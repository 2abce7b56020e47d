#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "formats/keyed_timers.h"
#include "host/port_table.h"

namespace rotaryn::host {

// The plug-in's timers on a Qt event loop. All share one single-shot QTimer armed for the next
// tick due, so a host with fifty profiles wakes only when a tick is due. A tick that lets
// events run may see other ticks run inside it.
class QtTimers final : public HostTimers {
 public:
  // failure: told of an exception a tick let escape; the loop goes on.
  explicit QtTimers(std::function<void(const std::string&)> failure = {});
  ~QtTimers() override;

  void start(const std::string& name, int index, int intervalMs, Tick tick) override;
  void stop(const std::string& name, int index) override;

  bool isArmed(const std::string& name, int index) const;
  // Wake-ups of the shared QTimer so far, for measuring.
  uint64_t wakeUps() const { return wakeUps_; }

 private:
  int64_t nowMs() const { return clock_.elapsed(); }
  void dispatch();
  void rearm();

  formats::KeyedTimers timers_;
  QElapsedTimer clock_;
  QTimer wake_;
  std::function<void(const std::string&)> failure_;
  uint64_t wakeUps_ = 0;
};

// DoEvents and Sleep on the Qt event loop of the calling thread.
class QtEventPump final : public HostPump {
 public:
  void doEvents() override;
  void sleep(int milliseconds) override;
};

// The system's local time.
class SystemClock final : public HostClock {
 public:
  SystemClock() { elapsed_.start(); }
  LocalTime now() const override;
  int64_t monotonicMs() const override { return elapsed_.elapsed(); }

 private:
  QElapsedTimer elapsed_;
};

}  // namespace rotaryn::host
