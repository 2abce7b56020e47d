#pragma once

#include <functional>
#include <string>

namespace rotaryn {

// Timers addressed by (name, profile index), like the elements of a VB timer control array.
// Ticks run on the UI thread between other events, never inside one another unless the tick
// itself pumps events.
class Timers {
 public:
  using Tick = std::function<void()>;

  Timers() = default;
  Timers(const Timers&) = delete;
  Timers& operator=(const Timers&) = delete;
  virtual ~Timers() = default;

  // Creates a stopped timer with interval 0. Raises error 360 "Object already loaded" when it
  // exists already.
  virtual void create(const std::string& name, int index, Tick tick) = 0;
  virtual bool exists(const std::string& name, int index) const = 0;
  // The calls below raise error 340 "Control array element does not exist" for a missing one.
  virtual void setInterval(const std::string& name, int index, int intervalMs) = 0;
  virtual void start(const std::string& name, int index) = 0;
  virtual void stop(const std::string& name, int index) = 0;
  virtual int interval(const std::string& name, int index) const = 0;
  virtual bool isRunning(const std::string& name, int index) const = 0;
  // Destroying a missing timer does nothing. A timer may destroy itself from its own tick.
  virtual void destroy(const std::string& name, int index) = 0;
  virtual void destroyAll() = 0;
};

}  // namespace rotaryn
