#include "formats/keyed_timers.h"

#include <algorithm>

namespace rotaryn::formats {

KeyedTimers::TimerPtr KeyedTimers::add(const std::string& name, int index, Tick tick) {
  TimerPtr& timer = timers_[{name, index}];
  if (timer) return nullptr;
  timer = std::make_shared<Timer>();
  timer->name = name;
  timer->index = index;
  timer->tick = std::move(tick);
  timer->sequence = nextSequence_++;
  return timer;
}

KeyedTimers::TimerPtr KeyedTimers::find(const std::string& name, int index) const {
  auto found = timers_.find({name, index});
  return found == timers_.end() ? nullptr : found->second;
}

void KeyedTimers::arm(Timer& timer, int64_t nowMs, int msIntoMinute) {
  timer.running = true;
  timer.dueMs = timer.intervalMs == kMinuteMs && msIntoMinute >= 0
                    ? nextMinuteDue(nowMs, msIntoMinute)
                    : nowMs + timer.intervalMs;
}

void KeyedTimers::start(const std::string& name, int index, int intervalMs, Tick tick,
                        int64_t nowMs, int msIntoMinute) {
  TimerPtr timer = find(name, index);
  if (!timer) timer = add(name, index, {});
  timer->tick = std::move(tick);
  timer->intervalMs = intervalMs;
  arm(*timer, nowMs, msIntoMinute);
  if (intervalMs >= kSharedPhaseMinMs && intervalMs < kMinuteMs) {
    timer->dueMs = (timer->dueMs + intervalMs - 1) / intervalMs * intervalMs;
  }
}

bool KeyedTimers::remove(const std::string& name, int index) {
  auto found = timers_.find({name, index});
  if (found == timers_.end()) return false;
  // Moved out first: its tick's captures must not be destroyed while the map is mid-change.
  TimerPtr timer = std::move(found->second);
  timers_.erase(found);
  timer->removed = true;
  return true;
}

void KeyedTimers::clear() {
  auto doomed = std::move(timers_);
  timers_.clear();
  for (auto& [key, timer] : doomed) timer->removed = true;
}

std::vector<KeyedTimers::TimerPtr> KeyedTimers::all() const {
  std::vector<TimerPtr> out;
  for (const auto& [key, timer] : timers_) out.push_back(timer);
  return out;
}

KeyedTimers::TimerPtr KeyedTimers::nextDue() const {
  TimerPtr best;
  for (const auto& [key, timer] : timers_) {
    if (!timer->armed()) continue;
    if (!best || timer->dueMs < best->dueMs ||
        (timer->dueMs == best->dueMs && timer->sequence < best->sequence)) {
      best = timer;
    }
  }
  return best;
}

std::vector<KeyedTimers::TimerPtr> KeyedTimers::dueBy(int64_t nowMs) const {
  std::vector<TimerPtr> due;
  for (const auto& [key, timer] : timers_) {
    if (timer->armed() && timer->dueMs <= nowMs) due.push_back(timer);
  }
  std::sort(due.begin(), due.end(), [](const TimerPtr& a, const TimerPtr& b) {
    return a->dueMs != b->dueMs ? a->dueMs < b->dueMs : a->sequence < b->sequence;
  });
  return due;
}

bool KeyedTimers::stillDue(const TimerPtr& timer, int64_t nowMs) {
  return timer->armed() && timer->dueMs <= nowMs;
}

int64_t KeyedTimers::nextMinuteDue(int64_t nowMs, int msIntoMinute) {
  return nowMs + (kMinuteMs - msIntoMinute % kMinuteMs) + kMinuteMarginMs;
}

void KeyedTimers::fire(const TimerPtr& timer, int64_t nowMs, int msIntoMinute) {
  int64_t next = timer->dueMs + timer->intervalMs;
  if (timer->intervalMs == kMinuteMs && msIntoMinute >= 0) {
    next = nextMinuteDue(nowMs, msIntoMinute);
  } else if (next <= nowMs) {
    next += ((nowMs - next) / timer->intervalMs + 1) * timer->intervalMs;
  }
  timer->dueMs = next;
  // The holder keeps the timer alive, and the copy its tick, even when the tick removes or
  // re-arms its own timer with another function.
  TimerPtr keep = timer;
  Tick tick = keep->tick;
  if (tick) tick();
}

}  // namespace rotaryn::formats
