#pragma once

#include "sim/model/fixed_memory.h"

namespace rotaryn::sim {

// The dfbhd-sim home on Linux: the server's pages mapped into this process at their real
// absolute addresses (mmap with MAP_FIXED_NOREPLACE). The pages stay mapped until the object
// goes.
class MappedMemory final : public FixedAddressMemory {
 public:
  MappedMemory() = default;
  ~MappedMemory() override;

  // Throws std::runtime_error naming the range (in hex) when something already occupies it or
  // the kernel refuses the fixed address; ranges mapped before the failure are released.
  void map(std::span<const AddressRange> pages) override;

 private:
  void unmapAll();
};

}  // namespace rotaryn::sim
