#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/adapters/timer_table.h"
#include "platform/event_pump.h"
#include "platform/timers.h"

namespace rotaryn::host {

// The timers port on a Qt event loop. All the plug-in's timers share one single-shot QTimer
// armed for the next tick due, so a host with fifty profiles wakes only when a tick is due.
// The bookkeeping (errors, phase keeping, a tick destroying its own timer) is the shared
// TimerTable's. Ticks run on the thread of the event loop; a tick that lets events run may see
// other ticks run inside it.
class QtTimers final : public Timers {
 public:
  // failure: told of an exception a tick let escape (the plug-in's ticks trap their own); the
  // loop goes on.
  explicit QtTimers(std::function<void(const std::string&)> failure = {});
  ~QtTimers() override;

  void create(const std::string& name, int index, Tick tick) override;
  bool exists(const std::string& name, int index) const override;
  void setInterval(const std::string& name, int index, int intervalMs) override;
  void start(const std::string& name, int index) override;
  void stop(const std::string& name, int index) override;
  int interval(const std::string& name, int index) const override;
  bool isRunning(const std::string& name, int index) const override;
  void destroy(const std::string& name, int index) override;
  void destroyAll() override;

  // Wake-ups of the shared QTimer so far, for measuring.
  uint64_t wakeUps() const { return wakeUps_; }

 private:
  int64_t nowMs() const { return clock_.elapsed(); }
  void dispatch();
  void rearm();

  TimerTable table_;
  QElapsedTimer clock_;
  QTimer wake_;
  std::function<void(const std::string&)> failure_;
  uint64_t wakeUps_ = 0;
};

// DoEvents and Sleep on the Qt event loop of the calling thread.
class QtEventPump final : public EventPump {
 public:
  void doEvents() override;
  void sleep(int milliseconds) override;
};

}  // namespace rotaryn::host
