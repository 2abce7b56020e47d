#include "sim/model/mapped_memory.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace rotaryn::sim {
namespace {

void* pointer(uint32_t address) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(address));
}

}  // namespace

MappedMemory::~MappedMemory() {
  unmapAll();
}

void MappedMemory::unmapAll() {
  for (const AddressRange& range : mapped()) munmap(pointer(range.address), range.size);
  mapped().clear();
}

void MappedMemory::map(std::span<const AddressRange> pages) {
  std::vector<AddressRange> all = mapped();
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
    mapped().push_back(range);
  }
  mapped() = pageRanges(all);
}

}  // namespace rotaryn::sim
