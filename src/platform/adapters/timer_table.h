#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/keyed_timers.h"
#include "platform/timers.h"

namespace rotaryn {

// The VB timer semantics of the Timers port over the shared keyed timers: create, exists,
// Interval and Enabled with the errors of timers.h. The adapters give the due times (virtual
// time) or leave them to the host's real timers. Not thread-safe: one UI thread calls it.
class TimerTable {
 public:
  using TimerPtr = formats::KeyedTimers::TimerPtr;
  explicit TimerTable(formats::KeyedTimers& timers) : timers_(timers) {}

  void create(const std::string& name, int index, Timers::Tick tick);
  bool exists(const std::string& name, int index) const;
  // Setting the interval of a running timer restarts its countdown from nowMs, as assigning
  // a VB timer's Interval does; a negative interval raises 380. msIntoMinute: where the wall
  // clock stands in its minute, for a minute timer (-1: no alignment).
  void setInterval(const std::string& name, int index, int intervalMs, int64_t nowMs,
                   int msIntoMinute = -1);
  // Starting a stopped timer counts its interval from nowMs; starting a running one changes
  // nothing (VB's Enabled = True on an enabled timer).
  void start(const std::string& name, int index, int64_t nowMs, int msIntoMinute = -1);
  void stop(const std::string& name, int index);
  int interval(const std::string& name, int index) const;
  bool isRunning(const std::string& name, int index) const;
  void destroy(const std::string& name, int index);
  void destroyAll();
  // The timer of that name and index; null when there is none.
  TimerPtr timer(const std::string& name, int index) const { return timers_.find(name, index); }
  // Every timer's name and index, in key order.
  std::vector<std::pair<std::string, int>> keys() const;

 private:
  formats::KeyedTimers::Timer& find(const std::string& name, int index) const;

  formats::KeyedTimers& timers_;
};

}  // namespace rotaryn
