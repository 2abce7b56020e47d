#include "host/script/simulated_servers.h"

#include <cstdio>

namespace rotaryn::host {
namespace {

// The numbers the memory component gives for a process that is gone and for an unmapped
// address.
constexpr int kNoProcessError = 5;
constexpr int kNotMappedError = 57;

}  // namespace

int SimulatedServers::failure(sim::ServerSet::Access access, int32_t pid, uint32_t address,
                              uint32_t size, std::string& error) const {
  switch (access) {
    case sim::ServerSet::Access::kDone:
      return 0;
    case sim::ServerSet::Access::kNoProcess:
      error = "Gravik.clsMemory: there is no server process with id " + std::to_string(pid) +
              " (the server has exited, or the profile names the wrong process)";
      return kNoProcessError;
    case sim::ServerSet::Access::kNotMapped: {
      char hex[24];
      std::snprintf(hex, sizeof hex, "0x%X", address);
      error = std::string("Gravik.clsMemory: address ") + hex + " (" + std::to_string(size) +
              " bytes) is not mapped in process " + std::to_string(pid);
      return kNotMappedError;
    }
  }
  return kNotMappedError;
}

int SimulatedServers::read(int32_t pid, uint32_t address, void* out, uint32_t size,
                           std::string& error) {
  return failure(set_.read(pid, address, out, size), pid, address, size, error);
}

int SimulatedServers::write(int32_t pid, uint32_t address, const void* in, uint32_t size,
                            std::string& error) {
  return failure(set_.write(pid, address, in, size), pid, address, size, error);
}

}  // namespace rotaryn::host
