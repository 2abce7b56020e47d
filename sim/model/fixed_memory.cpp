#include "sim/model/fixed_memory.h"

#include <cstring>

namespace rotaryn::sim {
namespace {

std::byte* pointer(uint32_t address) {
  return reinterpret_cast<std::byte*>(static_cast<uintptr_t>(address));
}

}  // namespace

bool FixedAddressMemory::isMapped(uint32_t address, size_t size) const {
  uint64_t end = uint64_t{address} + size;
  for (const AddressRange& range : mapped_) {
    if (address >= range.address && end <= range.end()) return true;
  }
  return false;
}

bool FixedAddressMemory::read(uint32_t address, void* out, size_t size) const {
  if (!isMapped(address, size)) return false;
  std::memcpy(out, pointer(address), size);
  return true;
}

bool FixedAddressMemory::write(uint32_t address, const void* in, size_t size) {
  if (!isMapped(address, size)) return false;
  std::memcpy(pointer(address), in, size);
  return true;
}

bool FixedAddressMemory::compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) {
  if (!isMapped(address, sizeof desired)) return false;
  if (address % alignof(int32_t) != 0) {
    int32_t current = 0;
    std::memcpy(&current, pointer(address), sizeof current);
    if (current != expected) return false;
    std::memcpy(pointer(address), &desired, sizeof desired);
    return true;
  }
  auto* field = reinterpret_cast<int32_t*>(pointer(address));
  return __atomic_compare_exchange_n(field, &expected, desired, false, __ATOMIC_SEQ_CST,
                                     __ATOMIC_SEQ_CST);
}

}  // namespace rotaryn::sim
