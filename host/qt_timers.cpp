#include "host/qt_timers.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <exception>

namespace rotaryn::host {
namespace {

constexpr int64_t kCoalesceMs = 15;

}  // namespace

QtTimers::QtTimers(std::function<void(const std::string&)> failure) : failure_(std::move(failure)) {
  clock_.start();
  wake_.setSingleShot(true);
  wake_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&wake_, &QTimer::timeout, &wake_, [this] { dispatch(); });
}

QtTimers::~QtTimers() {
  wake_.stop();
  table_.destroyAll();
}

void QtTimers::create(const std::string& name, int index, Tick tick) {
  table_.create(name, index, std::move(tick));
}

bool QtTimers::exists(const std::string& name, int index) const {
  return table_.exists(name, index);
}

void QtTimers::setInterval(const std::string& name, int index, int intervalMs) {
  table_.setInterval(name, index, intervalMs, nowMs());
  rearm();
}

void QtTimers::start(const std::string& name, int index) {
  table_.start(name, index, nowMs());
  rearm();
}

void QtTimers::stop(const std::string& name, int index) {
  table_.stop(name, index);
  rearm();
}

int QtTimers::interval(const std::string& name, int index) const {
  return table_.interval(name, index);
}

bool QtTimers::isRunning(const std::string& name, int index) const {
  return table_.isRunning(name, index);
}

void QtTimers::destroy(const std::string& name, int index) {
  table_.destroy(name, index);
  rearm();
}

void QtTimers::destroyAll() {
  table_.destroyAll();
  rearm();
}

void QtTimers::rearm() {
  TimerTable::TimerPtr next = table_.nextDue();
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
  for (const auto& timer : table_.dueBy(horizon)) {
    if (!TimerTable::stillDue(timer, horizon)) continue;
    try {
      TimerTable::fire(timer, now);
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

}  // namespace rotaryn::host
