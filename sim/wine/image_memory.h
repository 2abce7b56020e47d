#pragma once

#include "sim/model/fixed_memory.h"

namespace rotaryn::sim {

// The home of dfbhd-sim.exe: a zero-initialised section of the program's own image, which is
// linked to load at 0x400000 without relocation, so the section lies at fixed addresses that
// cover every field of both builds. That is how the real server holds its data; under 64-bit
// Wine it is also the only way to reach those low addresses, which Wine's own heaps and stacks
// already occupy when main runs.
class ImageMemory final : public FixedAddressMemory {
 public:
  ImageMemory();
  // Throws std::runtime_error naming the range (in hex) when it lies outside the section.
  void map(std::span<const AddressRange> pages) override;

  uint64_t begin() const { return begin_; }
  uint64_t end() const { return end_; }

 private:
  uint64_t begin_;
  uint64_t end_;
};

}  // namespace rotaryn::sim
