#include "sim/model/server_set.h"

#include <algorithm>
#include <stdexcept>

namespace rotaryn::sim {

void ServerSet::followClock(std::function<int64_t()> monotonicMs) {
  clock_ = std::move(monotonicMs);
  if (clock_) lastMs_ = clock_();
}

ServerModel& ServerSet::add(int32_t pid, ServerOptions options) {
  auto& slot = servers_[pid];
  slot = std::make_unique<ServerModel>(std::make_unique<SparseMemory>(), std::move(options));
  return *slot;
}

ServerModel& ServerSet::at(int32_t pid) {
  auto found = servers_.find(pid);
  if (found == servers_.end()) {
    throw std::out_of_range("no simulated server with pid " + std::to_string(pid));
  }
  return *found->second;
}

void ServerSet::advanceAll(int64_t elapsedMs) {
  for (auto& [pid, server] : servers_) server->advance(elapsedMs);
}

void ServerSet::catchUp() {
  if (!clock_) return;
  int64_t now = clock_();
  int64_t elapsed = now > lastMs_ ? now - lastMs_ : 0;
  lastMs_ = std::max(now, lastMs_);
  advanceAll(elapsed);
}

ServerSet::Access ServerSet::read(int32_t pid, uint32_t address, void* out, size_t size) {
  catchUp();
  auto found = servers_.find(pid);
  if (found == servers_.end()) return Access::kNoProcess;
  return found->second->clientRead(address, out, size) ? Access::kDone : Access::kNotMapped;
}

ServerSet::Access ServerSet::write(int32_t pid, uint32_t address, const void* in, size_t size) {
  catchUp();
  auto found = servers_.find(pid);
  if (found == servers_.end()) return Access::kNoProcess;
  return found->second->clientWrite(address, in, size) ? Access::kDone : Access::kNotMapped;
}

}  // namespace rotaryn::sim
