#include "platform/adapters/virtual_scheduler.h"

namespace rotaryn {
namespace {

formats::CivilTime civil(const DateTime& t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

}  // namespace

VirtualScheduler::VirtualScheduler(DateTime wallClock) : time_(civil(wallClock)) {}

DateTime VirtualScheduler::now() const {
  const formats::CivilTime t = time_.now();
  return DateTime{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

int64_t VirtualScheduler::monotonicMs() const {
  return time_.monotonicMs();
}

void VirtualScheduler::create(const std::string& name, int index, Tick tick) {
  timers_.create(name, index, std::move(tick));
}
bool VirtualScheduler::exists(const std::string& name, int index) const {
  return timers_.exists(name, index);
}
void VirtualScheduler::setInterval(const std::string& name, int index, int intervalMs) {
  timers_.setInterval(name, index, intervalMs, time_.monotonicMs(), time_.msIntoMinute());
}
void VirtualScheduler::start(const std::string& name, int index) {
  timers_.start(name, index, time_.monotonicMs(), time_.msIntoMinute());
}
void VirtualScheduler::stop(const std::string& name, int index) {
  timers_.stop(name, index);
}
int VirtualScheduler::interval(const std::string& name, int index) const {
  return timers_.interval(name, index);
}
bool VirtualScheduler::isRunning(const std::string& name, int index) const {
  return timers_.isRunning(name, index);
}
void VirtualScheduler::destroy(const std::string& name, int index) {
  timers_.destroy(name, index);
}
void VirtualScheduler::destroyAll() {
  timers_.destroyAll();
}

void VirtualScheduler::doEvents() {
  time_.doEvents();
}

void VirtualScheduler::sleep(int milliseconds) {
  time_.sleep(milliseconds);
}

void VirtualScheduler::advance(int64_t milliseconds) {
  time_.advance(milliseconds);
}

void VirtualScheduler::setWallClock(const DateTime& wallClock) {
  time_.setWallClock(civil(wallClock));
}

std::optional<int64_t> VirtualScheduler::untilNextTickMs() const {
  return time_.untilNextTickMs();
}

}  // namespace rotaryn
