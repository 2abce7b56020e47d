#include "host/qt_timers.h"

#include "host/history/wall_clock.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <exception>

namespace rotaryn::host {
namespace {

constexpr int64_t kCoalesceMs = 15;

// Where the system's local clock stands in its minute.
int wallMsIntoMinute() {
  const WallClock now = wallClockNow();
  return now.local.tm_sec % 60 * 1000 + static_cast<int>(now.at.tv_nsec / 1000000);
}

}  // namespace

QtTimers::QtTimers(std::function<void(const std::string&)> failure) : failure_(std::move(failure)) {
  clock_.start();
  wake_.setSingleShot(true);
  wake_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&wake_, &QTimer::timeout, &wake_, [this] { dispatch(); });
}

QtTimers::~QtTimers() {
  wake_.stop();
  timers_.clear();
}

void QtTimers::start(const std::string& name, int index, int intervalMs, Tick tick) {
  timers_.start(name, index, intervalMs, std::move(tick), nowMs(), wallMsIntoMinute());
  rearm();
}

void QtTimers::stop(const std::string& name, int index) {
  timers_.remove(name, index);
  rearm();
}

bool QtTimers::isArmed(const std::string& name, int index) const {
  for (const auto& timer : timers_.all()) {
    if (timer->name == name && timer->index == index) return timer->armed();
  }
  return false;
}

void QtTimers::rearm() {
  formats::KeyedTimers::TimerPtr next = timers_.nextDue();
  if (!next) {
    wake_.stop();
    return;
  }
  int64_t waitMs = std::max<int64_t>(next->dueMs - nowMs(), 0);
  wake_.start(static_cast<int>(std::min<int64_t>(waitMs, INT32_MAX)));
}

void QtTimers::dispatch() {
  ++wakeUps_;
  const int64_t now = nowMs();
  // Ticks due within one Windows timer period run in this wake-up: a Windows timer is no finer
  // than that, and a host with many profiles wakes once for ticks that fall close together.
  const int64_t horizon = now + kCoalesceMs;
  for (const auto& timer : timers_.dueBy(horizon)) {
    if (!formats::KeyedTimers::stillDue(timer, horizon)) continue;
    try {
      formats::KeyedTimers::fire(timer, now, wallMsIntoMinute());
    } catch (const std::exception& error) {
      if (failure_) failure_(error.what());
    } catch (...) {
      if (failure_) failure_("a timer tick failed");
    }
  }
  rearm();
}

void QtEventPump::doEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::sleep(int milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

LocalTime SystemClock::now() const {
  return civilTimeOf(wallClockNow().local);
}

}  // namespace rotaryn::host
