#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "sim/model/server_model.h"

namespace rotaryn::sim {

// Simulated server processes held in memory, by process id. With a clock (followClock), every
// access first brings each server up to the clock's time, so a client's own waits drive the
// servers. A pid without a server behaves like a process that has exited.
class ServerSet {
 public:
  enum class Access { kDone, kNoProcess, kNotMapped };

  // Servers then follow this clock (milliseconds, never going back).
  void followClock(std::function<int64_t()> monotonicMs);
  // A new server under pid, replacing any server of that pid.
  ServerModel& add(int32_t pid, ServerOptions options = {});
  // Throws std::out_of_range for a pid without a server.
  ServerModel& at(int32_t pid);
  bool has(int32_t pid) const { return servers_.count(pid) != 0; }
  // The process "exits": later accesses for the pid fail as for a dead process.
  void remove(int32_t pid) { servers_.erase(pid); }
  void advanceAll(int64_t elapsedMs);
  // Brings every server up to the clock.
  void catchUp();

  // A client's access, as the server sees it (ServerModel::clientRead/clientWrite).
  Access read(int32_t pid, uint32_t address, void* out, size_t size);
  Access write(int32_t pid, uint32_t address, const void* in, size_t size);

 private:
  std::map<int32_t, std::unique_ptr<ServerModel>> servers_;
  std::function<int64_t()> clock_;
  int64_t lastMs_ = 0;
};

}  // namespace rotaryn::sim
