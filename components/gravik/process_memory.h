#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "plugin/memory_access.h"

namespace rotaryn::gravik {

// Where the bytes of a server's memory come from. Raises VbError on failure: 57 for an address
// that is not mapped, so a text read can stop at the end of a mapping.
class MemoryTransport {
 public:
  MemoryTransport() = default;
  MemoryTransport(const MemoryTransport&) = delete;
  MemoryTransport& operator=(const MemoryTransport&) = delete;
  virtual ~MemoryTransport() = default;

  virtual void read(int32_t pid, uint32_t address, void* out, size_t size) = 0;
  virtual void write(int32_t pid, uint32_t address, const void* in, size_t size) = 0;
};

// Another process's memory through process_vm_readv/process_vm_writev, one system call each.
class ProcessTransport final : public MemoryTransport {
 public:
  void read(int32_t pid, uint32_t address, void* out, size_t size) override;
  void write(int32_t pid, uint32_t address, const void* in, size_t size) override;
};

// Gravik.clsMemory over a real server process: ServerProcess is its pid, and AddMsg's
// MessageTarget is the pid too (our host passes the server's pid as MessageTarget). Reads and
// writes go through process_vm_readv/process_vm_writev, one system call per member, and need
// ptrace permission over the server (docs/memory.md). Failures raise VbError: no such process
// (5), permission denied (70, with how to grant it), address not mapped (57, with the address).
class ProcessMemory : public IMemoryAccess {
 public:
  static constexpr size_t kMaxText = 4096;  // ReadStr stops here when no NUL comes first

  // Reads and writes through the transport given; the default reaches the process directly.
  explicit ProcessMemory(std::shared_ptr<MemoryTransport> transport = nullptr);

  // Asked before a console command goes into the mailbox; it refuses by raising VbError (a
  // host whose profile's server takes no commands that way).
  using CommandGate =
      std::function<void(int32_t profileIndex, int32_t messageTarget, const std::string& command)>;
  void setCommandGate(CommandGate gate) { gate_ = std::move(gate); }

  int32_t ReadLong(int32_t& process, int32_t address) override;
  uint8_t ReadByte(int32_t& process, int32_t address) override;
  // Reads up to the NUL, page by page, at most kMaxText bytes; a text that runs into unmapped
  // memory ends there.
  std::string ReadStr(int32_t& process, int32_t address) override;
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) override;
  void WriteStr(int32_t& process, int32_t address, const std::string& text) override;
  void AddMsg(int32_t& profileIndex, int32_t& messageTarget, const std::string& command,
              bool& isAffiliate, const std::string& kind, int16_t flag) override;
  std::string Enc64(const std::string& text) override;
  std::string dec64(const std::string& text) override;

 private:
  std::shared_ptr<MemoryTransport> transport_;
  CommandGate gate_;
};

}  // namespace rotaryn::gravik
