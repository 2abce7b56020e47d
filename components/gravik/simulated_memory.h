#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "components/gravik/process_memory.h"
#include "sim/model/server_set.h"

namespace rotaryn::gravik {

// Gravik.clsMemory, the plug-in's own component, over in-process simulated servers (tests):
// the same members, with the simulated server processes of a sim::ServerSet in place of other
// processes' memory. Servers are keyed by a process id: ServerProcess names the server of memory
// calls, and MessageTarget names the server of AddMsg. A pid without a server behaves like a
// process that has exited.
//
// Time: with a clock (followClock), every access first advances each server by the time passed
// since the previous one, so the plug-in's own waits (Sleep, DoEvents in virtual time) drive the
// servers. Without a clock, the test advances servers itself (advanceAll, ServerModel::advance).
//
//     gravik::SimulatedMemory memory;
//     sim::ServerModel& server = memory.addServer(4242);
//     server.setLong("GameState", 2);
//     memory.AddMsg(index, pid, "resetgames", isAffiliate, "CMD", 1);
//     server.advance(0);  // state 4
class SimulatedMemory final : public ProcessMemory {
 public:
  SimulatedMemory();
  explicit SimulatedMemory(std::function<int64_t()> monotonicMs) : SimulatedMemory() {
    followClock(std::move(monotonicMs));
  }

  void followClock(std::function<int64_t()> monotonicMs) {
    servers_->followClock(std::move(monotonicMs));
  }
  // A new server of options.build under pid, replacing any server of that pid.
  sim::ServerModel& addServer(int32_t pid, sim::ServerOptions options = {}) {
    return servers_->add(pid, std::move(options));
  }
  // Throws std::out_of_range for a pid without a server.
  sim::ServerModel& server(int32_t pid) { return servers_->at(pid); }
  bool hasServer(int32_t pid) const { return servers_->has(pid); }
  // The process "exits": later calls for the pid fail as for a dead process.
  void removeServer(int32_t pid) { servers_->remove(pid); }
  void advanceAll(int64_t elapsedMs) { servers_->advanceAll(elapsedMs); }

 private:
  explicit SimulatedMemory(std::shared_ptr<sim::ServerSet> servers);

  std::shared_ptr<sim::ServerSet> servers_;
};

}  // namespace rotaryn::gravik
