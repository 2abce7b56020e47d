#include "sim/wine/image_memory.h"

#include <cstring>
#include <stdexcept>

// 16 MiB of uninitialised data ("b": no bytes in the file) in a section of its own, which the
// linker places after the program's code and data; from anywhere below 0x70C000 it reaches past
// the simulator's info block at 0x1320000. The asm label keeps one name on both targets.
asm(".section .srvmem,\"bw\"\n"
    "\t.p2align 12\n"
    "rotaryn_server_memory:\n"
    "\t.space 0x1000000\n"
    "rotaryn_server_memory_end:\n"
    "\t.text\n");
extern "C" unsigned char serverMemoryBegin[] asm("rotaryn_server_memory");
extern "C" unsigned char serverMemoryEnd[] asm("rotaryn_server_memory_end");

namespace rotaryn::sim {

ImageMemory::ImageMemory()
    : begin_(reinterpret_cast<uintptr_t>(serverMemoryBegin)),
      end_(reinterpret_cast<uintptr_t>(serverMemoryEnd)) {}

void ImageMemory::map(std::span<const AddressRange> pages) {
  std::vector<AddressRange> all = mapped();
  for (const AddressRange& range : pages) {
    if (range.address < begin_ || range.end() > end_) {
      throw std::runtime_error("the server's memory at " + hexAddress(range.address) + ".." +
                               hexAddress(range.end()) +
                               " lies outside the section this program holds it in (" +
                               hexAddress(begin_) + ".." + hexAddress(end_) +
                               "): the image was not loaded at 0x400000, or its code has grown "
                               "into the fields' addresses");
    }
    if (!isMapped(range.address, range.size)) {
      std::memset(reinterpret_cast<void*>(static_cast<uintptr_t>(range.address)), 0, range.size);
    }
    all.push_back(range);
  }
  mapped() = pageRanges(all);
}

}  // namespace rotaryn::sim
