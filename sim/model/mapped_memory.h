#pragma once

#include <vector>

#include "sim/model/server_memory.h"

namespace rotaryn::sim {

// The dfbhd-sim home: the server's pages mapped into this process at their real absolute
// addresses (mmap with MAP_FIXED_NOREPLACE), so another process reads them exactly where it
// would read a real server's fields. Only one per process; the pages stay mapped until the
// object goes.
class MappedMemory final : public ServerMemory {
 public:
  MappedMemory() = default;
  ~MappedMemory() override;

  // Throws std::runtime_error naming the range (in hex) when something already occupies it or
  // the kernel refuses the fixed address; ranges mapped before the failure are released.
  void map(std::span<const AddressRange> pages) override;
  bool read(uint32_t address, void* out, size_t size) const override;
  bool write(uint32_t address, const void* in, size_t size) override;
  bool compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) override;
  bool isMapped(uint32_t address, size_t size) const override;

 private:
  void unmapAll();
  std::vector<AddressRange> mapped_;  // sorted, disjoint
};

}  // namespace rotaryn::sim
