#include "sim/model/server_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace rotaryn::sim {

std::vector<AddressRange> pageRanges(std::span<const AddressRange> ranges) {
  struct Span {
    uint64_t begin;
    uint64_t end;
  };
  std::vector<Span> spans;
  for (const AddressRange& range : ranges) {
    if (range.size == 0) continue;
    uint64_t begin = range.address / kPageSize * kPageSize;
    uint64_t end = (uint64_t{range.address} + range.size + kPageSize - 1) / kPageSize * kPageSize;
    spans.push_back({begin, end});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.begin < b.begin; });
  std::vector<AddressRange> merged;
  uint64_t begin = 0;
  uint64_t end = 0;
  bool open = false;
  for (const Span& span : spans) {
    if (open && span.begin <= end) {
      end = std::max(end, span.end);
      continue;
    }
    if (open) merged.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(end - begin)});
    begin = span.begin;
    end = span.end;
    open = true;
  }
  if (open) merged.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(end - begin)});
  return merged;
}

void SparseMemory::map(std::span<const AddressRange> pages) {
  for (const AddressRange& range : pages) {
    for (uint64_t page = range.address / kPageSize;
         page * kPageSize < uint64_t{range.address} + range.size; ++page) {
      auto& slot = pages_[static_cast<uint32_t>(page)];
      if (!slot) slot = std::make_unique<Page>(Page{});
    }
  }
}

bool SparseMemory::isMapped(uint32_t address, size_t size) const {
  uint64_t end = uint64_t{address} + size;
  if (end > (uint64_t{1} << 32)) return false;
  for (uint64_t page = address / kPageSize; page * kPageSize < end; ++page) {
    if (!pages_.count(static_cast<uint32_t>(page))) return false;
  }
  return true;
}

bool SparseMemory::read(uint32_t address, void* out, size_t size) const {
  if (!isMapped(address, size)) return false;
  auto* target = static_cast<std::byte*>(out);
  uint64_t at = address;
  while (size > 0) {
    const Page& page = *pages_.at(static_cast<uint32_t>(at / kPageSize));
    size_t offset = at % kPageSize;
    size_t chunk = std::min<size_t>(size, kPageSize - offset);
    std::memcpy(target, page.data() + offset, chunk);
    target += chunk;
    at += chunk;
    size -= chunk;
  }
  return true;
}

bool SparseMemory::write(uint32_t address, const void* in, size_t size) {
  if (!isMapped(address, size)) return false;
  const auto* source = static_cast<const std::byte*>(in);
  uint64_t at = address;
  while (size > 0) {
    Page& page = *pages_.at(static_cast<uint32_t>(at / kPageSize));
    size_t offset = at % kPageSize;
    size_t chunk = std::min<size_t>(size, kPageSize - offset);
    std::memcpy(page.data() + offset, source, chunk);
    source += chunk;
    at += chunk;
    size -= chunk;
  }
  return true;
}

bool SparseMemory::compareExchangeLong(uint32_t address, int32_t expected, int32_t desired) {
  int32_t current = 0;
  if (!read(address, &current, sizeof current) || current != expected) return false;
  return write(address, &desired, sizeof desired);
}

std::string hexAddress(uint64_t address) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(address));
  return text;
}

}  // namespace rotaryn::sim
