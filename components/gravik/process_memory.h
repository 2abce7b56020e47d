#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "plugin/memory_access.h"

namespace rotaryn::gravik {

// How AddMsg hands a console command to a server.
enum class CommandDelivery {
  // Write the text at the build's MsgStrAdd, then 1 at MsgTypeAdd (dfbhd-sim, and servers whose
  // console polls that mailbox).
  kMailbox,
  // Refuse: AddMsg raises an error saying delivery is off for the profile. For servers whose
  // console takes commands some other way; skip and score then fail visibly instead of silently.
  kNone,
};
std::optional<CommandDelivery> parseDelivery(std::string_view text);  // "mailbox" | "none"
std::string_view deliveryName(CommandDelivery delivery);

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

  // Asked before a console command goes into the mailbox; it refuses by raising VbError.
  using CommandGate =
      std::function<void(int32_t profileIndex, int32_t messageTarget, const std::string& command)>;
  void setCommandGate(CommandGate gate) { gate_ = std::move(gate); }

  // The delivery of every profile without its own setting (default: mailbox).
  void setDelivery(CommandDelivery delivery) { delivery_ = delivery; }
  // The delivery for one profile index (the first argument of AddMsg).
  void setDelivery(int32_t profileIndex, CommandDelivery delivery) {
    profileDelivery_[profileIndex] = delivery;
  }
  CommandDelivery deliveryFor(int32_t profileIndex) const;

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
  CommandDelivery delivery_ = CommandDelivery::kMailbox;
  std::map<int32_t, CommandDelivery> profileDelivery_;
};

}  // namespace rotaryn::gravik
