#include "components/gravik/memory_errors.h"

#include <cerrno>
#include <cstring>

#include <cstdio>
#include "platform/vb_error.h"

namespace rotaryn::gravik {
namespace {

std::string hexAddress(uint64_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(address));
  return text;
}

}  // namespace

void raiseNoProcess(int32_t pid) {
  raiseVbError(kNoProcessError,
               "Gravik.clsMemory: there is no server process with id " + std::to_string(pid) +
                   " (the server has exited, or the profile names the wrong process)");
}

void raisePermissionDenied(int32_t pid) {
  raiseVbError(kPermissionError,
               "Gravik.clsMemory: permission denied on the memory of process " +
                   std::to_string(pid) +
                   ": reading and writing another process needs ptrace permission over it. Run "
                   "the host as the server's user with kernel.yama.ptrace_scope = 0, or let the "
                   "host start the server, or grant the host CAP_SYS_PTRACE "
                   "(setcap cap_sys_ptrace+ep); see docs/memory.md");
}

void raiseNotMapped(int32_t pid, uint64_t address, size_t size) {
  raiseVbError(kNotMappedError,
               "Gravik.clsMemory: address " + hexAddress(address) + " (" + std::to_string(size) +
                   " bytes) is not mapped in process " + std::to_string(pid) +
                   " (is it a DFBHD server of the build the profile names, standard or "
                   "affiliate?)");
}

void raiseBadByteCount(int16_t byteCount) {
  raiseVbError(kBadArgumentError, "Gravik.clsMemory: WriteLong byte count must be 1 to 4, not " +
                                      std::to_string(byteCount));
}

void raiseFromErrno(int error, int32_t pid, uint64_t address, size_t size, bool writing) {
  switch (error) {
    case ESRCH:
      raiseNoProcess(pid);
    case EPERM:
    case EACCES:
      raisePermissionDenied(pid);
    case EFAULT:
      raiseNotMapped(pid, address, size);
    default:
      raiseVbError(kNotMappedError, std::string("Gravik.clsMemory: ") +
                                        (writing ? "writing " : "reading ") + std::to_string(size) +
                                        " bytes at " + hexAddress(address) + " of process " +
                                        std::to_string(pid) + " failed: " + std::strerror(error));
  }
}

}  // namespace rotaryn::gravik
