#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/adapters/timer_table.h"
#include "platform/event_pump.h"
#include "platform/timers.h"

namespace rotaryn {

// Timers and event pump in real time on one thread, without a toolkit: the thread that calls
// runFor/runUntil is the UI thread, and every tick and posted task runs on it. Runs may nest
// (a tick may call doEvents or run the loop again). Only post() and quit() may be called from
// other threads.
class RunLoop final : public Timers, public EventPump {
 public:
  RunLoop();

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

  // Runs the posted tasks and the ticks that are due now, once each, without waiting.
  void doEvents() override;
  // Blocks the thread; nothing runs meanwhile.
  void sleep(int milliseconds) override;

  // Runs tasks and ticks as they fall due for the milliseconds given, or until quit().
  void runFor(int64_t milliseconds);
  // Runs until done() holds (checked first and after each turn), quit(), or the optional
  // timeout; returns done()'s last answer.
  bool runUntil(const std::function<bool()>& done, std::optional<int64_t> timeoutMs = std::nullopt);
  // Ends every run in progress at its next turn. A quit() while no run is in progress is
  // forgotten. Safe from any thread.
  void quit();
  // Queues a task for the loop's thread; it runs at the next turn or doEvents. Safe from any
  // thread.
  void post(std::function<void()> task);

 private:
  using SteadyClock = std::chrono::steady_clock;

  int64_t nowMs() const;
  // Runs posted tasks, then the ticks due now; returns false when quit() was called.
  bool runDue();
  // Waits until the next tick, the deadline, a posted task or quit(), whichever is first.
  void wait(std::optional<int64_t> deadlineMs);
  bool quitRequested();
  void clearQuit();

  const SteadyClock::time_point start_;
  TimerTable timers_;
  int depth_ = 0;  // runs in progress on the loop's thread

  std::mutex mutex_;  // guards the members below, shared with other threads
  std::condition_variable wake_;
  std::deque<std::function<void()>> posted_;
  bool quit_ = false;
};

}  // namespace rotaryn
