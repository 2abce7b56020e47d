#pragma once

#include <vector>

#include "sim/model/server_memory.h"

namespace rotaryn::sim {

// A home that keeps the server's fields in this process's own memory at their real absolute
// addresses, so another process reads them exactly where it would read a real server's. How the
// pages come to be there is the derived home's business (map); reading and writing them is the
// same for all. Only one per process.
class FixedAddressMemory : public ServerMemory {
 public:
  bool read(uint32_t address, void* out, size_t size) const override;
  bool write(uint32_t address, const void* in, size_t size) override;
  bool compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) override;
  bool isMapped(uint32_t address, size_t size) const override;

 protected:
  // The ranges now usable, sorted and disjoint.
  std::vector<AddressRange>& mapped() { return mapped_; }

 private:
  std::vector<AddressRange> mapped_;
};

}  // namespace rotaryn::sim
