#pragma once

#include "host/port_table.h"
#include "sim/model/server_set.h"

namespace rotaryn::host {

// The scripted host's servers: simulated server processes in memory that the plug-in reads and
// writes through the host's memory ports, with the run-time errors a real process gives.
class SimulatedServers final : public HostMemory {
 public:
  sim::ServerSet& set() { return set_; }

  int read(int32_t pid, uint32_t address, void* out, uint32_t size, std::string& error) override;
  int write(int32_t pid, uint32_t address, const void* in, uint32_t size,
            std::string& error) override;

 private:
  int failure(sim::ServerSet::Access access, int32_t pid, uint32_t address, uint32_t size,
              std::string& error) const;

  sim::ServerSet set_;
};

}  // namespace rotaryn::host
