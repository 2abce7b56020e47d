#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace rotaryn::sim {

// A range of the server's 32-bit address space.
struct AddressRange {
  uint32_t address = 0;
  uint32_t size = 0;
  uint32_t end() const { return address + size; }
};

inline constexpr uint32_t kPageSize = 4096;

// The ranges rounded out to whole pages, sorted, with touching or overlapping pages merged:
// what a home has to map so that every range is readable and writable.
std::vector<AddressRange> pageRanges(std::span<const AddressRange> ranges);

// The memory the server model keeps its fields in. In-process it is a sparse 32-bit address
// space; in dfbhd-sim it is the process's own memory at the real absolute addresses. Other
// parties (the plug-in, a test) may write it between calls; the model never caches a field.
class ServerMemory {
 public:
  ServerMemory() = default;
  ServerMemory(const ServerMemory&) = delete;
  ServerMemory& operator=(const ServerMemory&) = delete;
  virtual ~ServerMemory() = default;

  // Makes the page-aligned ranges readable and writable, zero-filled. Throws
  // std::runtime_error naming the first range that cannot be mapped.
  virtual void map(std::span<const AddressRange> pages) = 0;
  // Copies size bytes at address into out. False, with out unspecified, when any byte of the
  // range is not mapped.
  virtual bool read(uint32_t address, void* out, size_t size) const = 0;
  // Copies size bytes to address. False, with nothing written, when any byte is not mapped.
  virtual bool write(uint32_t address, const void* in, size_t size) = 0;
  // Replaces the 32-bit value at address with desired if it still equals expected, atomically
  // with respect to writers from outside; false when it did not (or is not mapped). Lets the
  // countdown fall without losing a value another process wrote meanwhile.
  virtual bool compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) = 0;
  // Whether every byte of the range is mapped.
  virtual bool isMapped(uint32_t address, size_t size) const = 0;
};

// The in-process home: pages allocated on map, everything else unmapped.
class SparseMemory final : public ServerMemory {
 public:
  void map(std::span<const AddressRange> pages) override;
  bool read(uint32_t address, void* out, size_t size) const override;
  bool write(uint32_t address, const void* in, size_t size) override;
  bool compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) override;
  bool isMapped(uint32_t address, size_t size) const override;

 private:
  using Page = std::array<std::byte, kPageSize>;
  std::map<uint32_t, std::unique_ptr<Page>> pages_;  // keyed by page number
};

// "0x9E4748"
std::string hexAddress(uint64_t address);

}  // namespace rotaryn::sim
