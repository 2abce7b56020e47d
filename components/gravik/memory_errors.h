#pragma once

#include <cstdint>
#include <string>

namespace rotaryn::gravik {

// The run-time errors of Gravik.clsMemory. Each description says what went wrong and what an
// operator can do about it; the numbers are VB's nearest ones.
inline constexpr int kNoProcessError = 5;    // "Invalid procedure call or argument"
inline constexpr int kPermissionError = 70;  // "Permission denied"
inline constexpr int kNotMappedError = 57;   // "Device I/O error"
inline constexpr int kBadArgumentError = 5;

[[noreturn]] void raiseNoProcess(int32_t pid);
[[noreturn]] void raisePermissionDenied(int32_t pid);
[[noreturn]] void raiseNotMapped(int32_t pid, uint64_t address, size_t size);
[[noreturn]] void raiseBadByteCount(int16_t byteCount);
// An errno of process_vm_readv/writev turned into one of the errors above (anything else:
// error 57 with the system's text).
[[noreturn]] void raiseFromErrno(int error, int32_t pid, uint64_t address, size_t size,
                                 bool writing);

}  // namespace rotaryn::gravik
