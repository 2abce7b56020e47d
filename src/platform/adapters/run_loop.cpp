#include "platform/adapters/run_loop.h"

#include <iterator>
#include <thread>

namespace rotaryn {

RunLoop::RunLoop() : start_(SteadyClock::now()) {}

int64_t RunLoop::nowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start_).count();
}

void RunLoop::create(const std::string& name, int index, Tick tick) {
  timers_.create(name, index, std::move(tick));
}
bool RunLoop::exists(const std::string& name, int index) const {
  return timers_.exists(name, index);
}
void RunLoop::setInterval(const std::string& name, int index, int intervalMs) {
  timers_.setInterval(name, index, intervalMs, nowMs());
}
void RunLoop::start(const std::string& name, int index) {
  timers_.start(name, index, nowMs());
}
void RunLoop::stop(const std::string& name, int index) {
  timers_.stop(name, index);
}
int RunLoop::interval(const std::string& name, int index) const {
  return timers_.interval(name, index);
}
bool RunLoop::isRunning(const std::string& name, int index) const {
  return timers_.isRunning(name, index);
}
void RunLoop::destroy(const std::string& name, int index) {
  timers_.destroy(name, index);
}
void RunLoop::destroyAll() {
  timers_.destroyAll();
}

void RunLoop::doEvents() {
  runDue();
}

void RunLoop::sleep(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool RunLoop::quitRequested() {
  std::lock_guard lock(mutex_);
  return quit_;
}

void RunLoop::clearQuit() {
  std::lock_guard lock(mutex_);
  quit_ = false;
}

bool RunLoop::runDue() {
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard lock(mutex_);
    tasks.swap(posted_);
  }
  while (!tasks.empty()) {
    std::function<void()> task = std::move(tasks.front());
    tasks.pop_front();
    try {
      if (task) task();
    } catch (...) {
      // The tasks not run yet keep their turn ahead of anything posted since.
      std::lock_guard lock(mutex_);
      posted_.insert(posted_.begin(), std::make_move_iterator(tasks.begin()),
                     std::make_move_iterator(tasks.end()));
      throw;
    }
  }
  const int64_t now = nowMs();
  for (const auto& timer : timers_.dueBy(now)) {
    if (TimerTable::stillDue(timer, now)) TimerTable::fire(timer, now);
  }
  return !quitRequested();
}

void RunLoop::wait(std::optional<int64_t> deadlineMs) {
  std::optional<int64_t> wakeMs = deadlineMs;
  if (auto timer = timers_.nextDue()) {
    if (!wakeMs || timer->dueMs < *wakeMs) wakeMs = timer->dueMs;
  }
  std::unique_lock lock(mutex_);
  auto woken = [this] { return quit_ || !posted_.empty(); };
  if (wakeMs) {
    wake_.wait_until(lock, start_ + std::chrono::milliseconds(*wakeMs), woken);
  } else {
    wake_.wait(lock, woken);
  }
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::optional<int64_t> timeoutMs) {
  std::optional<int64_t> deadlineMs;
  if (timeoutMs) deadlineMs = nowMs() + std::max<int64_t>(*timeoutMs, 0);
  // A quit() belongs to the runs in progress: cleared when the outermost run starts and ends,
  // also when a tick throws through it.
  struct Depth {
    RunLoop& loop;
    explicit Depth(RunLoop& l) : loop(l) {
      if (loop.depth_++ == 0) loop.clearQuit();
    }
    ~Depth() {
      if (--loop.depth_ == 0) loop.clearQuit();
    }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
  } depth(*this);
  bool finished = done && done();
  while (!finished) {
    if (deadlineMs && nowMs() >= *deadlineMs) break;
    wait(deadlineMs);
    bool keepGoing = runDue();
    finished = done && done();
    if (!keepGoing) break;
  }
  return finished;
}

void RunLoop::runFor(int64_t milliseconds) {
  runUntil([] { return false; }, milliseconds);
}

void RunLoop::quit() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
}

void RunLoop::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(task));
  }
  wake_.notify_all();
}

}  // namespace rotaryn
