#include "components/gravik/process_memory.h"

#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "components/gravik/mailbox.h"
#include "components/gravik/memory_errors.h"
#include "formats/base64.h"
#include "platform/vb_error.h"

namespace rotaryn::gravik {
namespace {

void* remote(uint32_t address) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(address));
}

void checkPid(int32_t pid) {
  if (pid <= 0) raiseNoProcess(pid);
}

}  // namespace

void ProcessTransport::read(int32_t pid, uint32_t address, void* out, size_t size) {
  checkPid(pid);
  iovec local{out, size};
  iovec theirs{remote(address), size};
  ssize_t done = process_vm_readv(pid, &local, 1, &theirs, 1, 0);
  if (done == static_cast<ssize_t>(size)) return;
  if (done < 0) raiseFromErrno(errno, pid, address, size, false);
  raiseNotMapped(pid, address + static_cast<uint64_t>(done), size - static_cast<size_t>(done));
}

void ProcessTransport::write(int32_t pid, uint32_t address, const void* in, size_t size) {
  checkPid(pid);
  iovec local{const_cast<void*>(in), size};
  iovec theirs{remote(address), size};
  ssize_t done = process_vm_writev(pid, &local, 1, &theirs, 1, 0);
  if (done == static_cast<ssize_t>(size)) return;
  if (done < 0) raiseFromErrno(errno, pid, address, size, true);
  raiseNotMapped(pid, address + static_cast<uint64_t>(done), size - static_cast<size_t>(done));
}

ProcessMemory::ProcessMemory(std::shared_ptr<MemoryTransport> transport)
    : transport_(transport ? std::move(transport) : std::make_shared<ProcessTransport>()) {}

int32_t ProcessMemory::ReadLong(int32_t& process, int32_t address) {
  int32_t value = 0;
  transport_->read(process, static_cast<uint32_t>(address), &value, sizeof value);
  return value;
}

uint8_t ProcessMemory::ReadByte(int32_t& process, int32_t address) {
  uint8_t value = 0;
  transport_->read(process, static_cast<uint32_t>(address), &value, sizeof value);
  return value;
}

std::string ProcessMemory::ReadStr(int32_t& process, int32_t address) {
  checkPid(process);
  constexpr size_t kPage = 4096;
  char buffer[kPage];
  std::string text;
  auto at = static_cast<uint64_t>(static_cast<uint32_t>(address));
  // One read per page: a read that crosses into an unmapped page would fail as a whole.
  while (text.size() < kMaxText) {
    size_t chunk = std::min(kPage - at % kPage, kMaxText - text.size());
    try {
      transport_->read(process, static_cast<uint32_t>(at), buffer, chunk);
    } catch (const VbError& error) {
      // A text that runs into unmapped memory ends there; any other failure is the read's.
      if (text.empty() || error.number() != kNotMappedError) throw;
      break;
    }
    const char* end = static_cast<const char*>(std::memchr(buffer, '\0', chunk));
    if (end) {
      text.append(buffer, static_cast<size_t>(end - buffer));
      return text;
    }
    text.append(buffer, chunk);
    at += chunk;
  }
  return text;
}

void ProcessMemory::WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) {
  if (byteCount < 1 || byteCount > 4) raiseBadByteCount(byteCount);
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  transport_->write(process, static_cast<uint32_t>(address), bytes, static_cast<size_t>(byteCount));
}

void ProcessMemory::WriteStr(int32_t& process, int32_t address, const std::string& text) {
  transport_->write(process, static_cast<uint32_t>(address), text.c_str(), text.size() + 1);
}

void ProcessMemory::AddMsg(int32_t& profileIndex, int32_t& messageTarget,
                           const std::string& command, bool& isAffiliate,
                           const std::string& /*kind*/, int16_t /*flag*/) {
  if (gate_) gate_(profileIndex, messageTarget, command);
  Mailbox mailbox = mailboxFor(isAffiliate);
  std::string text = mailboxText(command);
  int32_t one = 1;
  transport_->write(messageTarget, mailbox.textAddress, text.data(), text.size());
  transport_->write(messageTarget, mailbox.typeAddress, &one, sizeof one);
}

std::string ProcessMemory::Enc64(const std::string& text) {
  return formats::encodeBase64(text);
}

std::string ProcessMemory::dec64(const std::string& text) {
  try {
    return formats::decodeBase64(text);
  } catch (const formats::Base64Error& error) {
    raiseVbError(vberr::kInvalidCall, error.what());
  }
}

}  // namespace rotaryn::gravik
