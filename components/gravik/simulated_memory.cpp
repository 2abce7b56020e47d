#include "components/gravik/simulated_memory.h"

#include "components/gravik/memory_errors.h"

namespace rotaryn::gravik {
namespace {

// A client's accesses to simulated server processes, failing as accesses to real ones do.
class ServerSetTransport final : public MemoryTransport {
 public:
  explicit ServerSetTransport(std::shared_ptr<sim::ServerSet> servers)
      : servers_(std::move(servers)) {}

  void read(int32_t pid, uint32_t address, void* out, size_t size) override {
    check(servers_->read(pid, address, out, size), pid, address, size);
  }
  void write(int32_t pid, uint32_t address, const void* in, size_t size) override {
    check(servers_->write(pid, address, in, size), pid, address, size);
  }

 private:
  static void check(sim::ServerSet::Access access, int32_t pid, uint32_t address, size_t size) {
    if (access == sim::ServerSet::Access::kNoProcess) raiseNoProcess(pid);
    if (access == sim::ServerSet::Access::kNotMapped) raiseNotMapped(pid, address, size);
  }

  std::shared_ptr<sim::ServerSet> servers_;
};

}  // namespace

SimulatedMemory::SimulatedMemory() : SimulatedMemory(std::make_shared<sim::ServerSet>()) {}

SimulatedMemory::SimulatedMemory(std::shared_ptr<sim::ServerSet> servers)
    : ProcessMemory(std::make_shared<ServerSetTransport>(servers)), servers_(std::move(servers)) {}

}  // namespace rotaryn::gravik
