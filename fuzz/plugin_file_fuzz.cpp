// The host's check of a plug-in file before dlopen, over any bytes: it reads only within them,
// and passes nothing shorter than an ELF header.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/elf_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (rotaryn::host::sharedLibraryProblem(bytes).empty() && size < 64) std::abort();
  return 0;
}
