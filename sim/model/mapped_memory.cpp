#include "sim/model/mapped_memory.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace rotaryn::sim {
namespace {

std::byte* pointer(uint32_t address) {
  return reinterpret_cast<std::byte*>(static_cast<uintptr_t>(address));
}

}  // namespace

MappedMemory::~MappedMemory() {
  unmapAll();
}

void MappedMemory::unmapAll() {
  for (const AddressRange& range : mapped_) munmap(pointer(range.address), range.size);
  mapped_.clear();
}

void MappedMemory::map(std::span<const AddressRange> pages) {
  std::vector<AddressRange> all = mapped_;
  all.insert(all.end(), pages.begin(), pages.end());
  for (const AddressRange& range : pages) {
    if (isMapped(range.address, range.size)) continue;
    void* want = pointer(range.address);
    void* got = mmap(want, range.size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    int error = errno;
    if (got != want) {
      // Kernels before 4.17 ignore the flag and place the mapping elsewhere.
      if (got != MAP_FAILED) munmap(got, range.size);
      std::string why = got == MAP_FAILED ? std::strerror(error) : "placed elsewhere";
      unmapAll();
      throw std::runtime_error("cannot map the server's memory at " + hexAddress(range.address) +
                               ".." + hexAddress(range.end()) + ": " + why +
                               (error == EEXIST ? " (something already occupies the range)" : ""));
    }
    mapped_.push_back(range);
  }
  mapped_ = pageRanges(all);
}

bool MappedMemory::isMapped(uint32_t address, size_t size) const {
  uint64_t end = uint64_t{address} + size;
  for (const AddressRange& range : mapped_) {
    if (address >= range.address && end <= range.end()) return true;
  }
  return false;
}

bool MappedMemory::read(uint32_t address, void* out, size_t size) const {
  if (!isMapped(address, size)) return false;
  std::memcpy(out, pointer(address), size);
  return true;
}

bool MappedMemory::write(uint32_t address, const void* in, size_t size) {
  if (!isMapped(address, size)) return false;
  std::memcpy(pointer(address), in, size);
  return true;
}

bool MappedMemory::compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) {
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
