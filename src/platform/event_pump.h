#pragma once

namespace rotaryn {

// Letting pending events run while an operation waits: timer ticks and other commands may run
// inside these calls, so callers must stay correct when re-entered.
class EventPump {
 public:
  EventPump() = default;
  EventPump(const EventPump&) = delete;
  EventPump& operator=(const EventPump&) = delete;
  virtual ~EventPump() = default;

  // VB's DoEvents: runs what is due now, once.
  virtual void doEvents() = 0;
  // Windows Sleep: blocks for the time given; no events run meanwhile.
  virtual void sleep(int milliseconds) = 0;
};

}  // namespace rotaryn
