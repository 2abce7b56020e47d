#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "plugin/memory_access.h"
#include "sim/model/server_model.h"

namespace rotaryn::gravik {

// Gravik.clsMemory over in-process simulated servers (tests, the host's --script mode).
// Servers are keyed by a process id number: ServerProcess names the server of memory calls,
// and MessageTarget names the server of AddMsg (our host passes the server's pid as the
// profile's MessageTarget). A pid without a server behaves like a process that has exited.
//
// Time: with a clock (followClock), every member call first advances each server by the time
// passed since the previous call, so the plug-in's own waits (Sleep, DoEvents in virtual time)
// drive the servers; a command AddMsg delivers is consumed at the next call. Without a clock,
// the test advances servers itself (advanceAll, or ServerModel::advance).
//
//     gravik::SimulatedMemory memory;
//     sim::ServerModel& server = memory.addServer(4242);
//     server.setLong("GameState", 2);
//     memory.AddMsg(index, pid, "resetgames", isAffiliate, "CMD", 1);
//     server.advance(0);  // state 4
class SimulatedMemory final : public IMemoryAccess {
 public:
  SimulatedMemory() = default;
  explicit SimulatedMemory(std::function<int64_t()> monotonicMs) { followClock(std::move(monotonicMs)); }

  // Servers then follow this clock (milliseconds, never going back).
  void followClock(std::function<int64_t()> monotonicMs);
  // A new server of options.build under pid, replacing any server of that pid.
  sim::ServerModel& addServer(int32_t pid, sim::ServerOptions options = {});
  // Throws std::out_of_range for a pid without a server.
  sim::ServerModel& server(int32_t pid);
  bool hasServer(int32_t pid) const { return servers_.count(pid) != 0; }
  // The process "exits": later calls for the pid fail as for a dead process.
  void removeServer(int32_t pid) { servers_.erase(pid); }
  void advanceAll(int64_t elapsedMs);

  int32_t ReadLong(int32_t& process, int32_t address) override;
  uint8_t ReadByte(int32_t& process, int32_t address) override;
  std::string ReadStr(int32_t& process, int32_t address) override;
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) override;
  void WriteStr(int32_t& process, int32_t address, const std::string& text) override;
  void AddMsg(int32_t& profileIndex, int32_t& messageTarget, const std::string& command,
              bool& isAffiliate, const std::string& kind, int16_t flag) override;
  std::string Enc64(const std::string& text) override;
  std::string dec64(const std::string& text) override;

 private:
  void catchUp();
  sim::ServerModel& target(int32_t pid);
  void read(int32_t pid, uint32_t address, void* out, size_t size);
  void write(int32_t pid, uint32_t address, const void* in, size_t size);

  std::map<int32_t, std::unique_ptr<sim::ServerModel>> servers_;
  std::function<int64_t()> clock_;
  int64_t lastMs_ = 0;
};

}  // namespace rotaryn::gravik
