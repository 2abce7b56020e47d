#include "components/gravik/simulated_memory.h"

#include <stdexcept>

#include "components/gravik/base64.h"
#include "components/gravik/mailbox.h"
#include "components/gravik/memory_errors.h"

namespace rotaryn::gravik {
namespace {

constexpr size_t kMaxText = 4096;  // as ProcessMemory::ReadStr

}  // namespace

void SimulatedMemory::followClock(std::function<int64_t()> monotonicMs) {
  clock_ = std::move(monotonicMs);
  if (clock_) lastMs_ = clock_();
}

sim::ServerModel& SimulatedMemory::addServer(int32_t pid, sim::ServerOptions options) {
  auto server =
      std::make_unique<sim::ServerModel>(std::make_unique<sim::SparseMemory>(), std::move(options));
  auto& slot = servers_[pid];
  slot = std::move(server);
  return *slot;
}

sim::ServerModel& SimulatedMemory::server(int32_t pid) {
  auto found = servers_.find(pid);
  if (found == servers_.end()) {
    throw std::out_of_range("no simulated server with pid " + std::to_string(pid));
  }
  return *found->second;
}

void SimulatedMemory::advanceAll(int64_t elapsedMs) {
  for (auto& [pid, server] : servers_) server->advance(elapsedMs);
}

void SimulatedMemory::catchUp() {
  if (!clock_) return;
  int64_t now = clock_();
  int64_t elapsed = now > lastMs_ ? now - lastMs_ : 0;
  lastMs_ = std::max(now, lastMs_);
  advanceAll(elapsed);
}

sim::ServerModel& SimulatedMemory::target(int32_t pid) {
  auto found = servers_.find(pid);
  if (found == servers_.end()) raiseNoProcess(pid);
  return *found->second;
}

// Through the model's client access, so the server sees the plug-in's reads and writes.
void SimulatedMemory::read(int32_t pid, uint32_t address, void* out, size_t size) {
  if (!target(pid).clientRead(address, out, size)) raiseNotMapped(pid, address, size);
}

void SimulatedMemory::write(int32_t pid, uint32_t address, const void* in, size_t size) {
  if (!target(pid).clientWrite(address, in, size)) raiseNotMapped(pid, address, size);
}

int32_t SimulatedMemory::ReadLong(int32_t& process, int32_t address) {
  catchUp();
  int32_t value = 0;
  read(process, static_cast<uint32_t>(address), &value, sizeof value);
  return value;
}

uint8_t SimulatedMemory::ReadByte(int32_t& process, int32_t address) {
  catchUp();
  uint8_t value = 0;
  read(process, static_cast<uint32_t>(address), &value, sizeof value);
  return value;
}

std::string SimulatedMemory::ReadStr(int32_t& process, int32_t address) {
  catchUp();
  auto start = static_cast<uint32_t>(address);
  // A text that runs to the end of the mapping ends there, as ProcessMemory reads it.
  std::optional<std::string> text = target(process).clientReadText(start, kMaxText);
  if (!text) raiseNotMapped(process, start, 1);
  return *text;
}

void SimulatedMemory::WriteLong(int32_t& process, int32_t address, int32_t value,
                                int16_t byteCount) {
  catchUp();
  if (byteCount < 1 || byteCount > 4) raiseBadByteCount(byteCount);
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  write(process, static_cast<uint32_t>(address), bytes, static_cast<size_t>(byteCount));
}

void SimulatedMemory::WriteStr(int32_t& process, int32_t address, const std::string& text) {
  catchUp();
  write(process, static_cast<uint32_t>(address), text.c_str(), text.size() + 1);
}

void SimulatedMemory::AddMsg(int32_t& /*profileIndex*/, int32_t& messageTarget,
                             const std::string& command, bool& isAffiliate,
                             const std::string& /*kind*/, int16_t /*flag*/) {
  catchUp();
  Mailbox mailbox = mailboxFor(isAffiliate);
  std::string text = mailboxText(command);
  int32_t one = 1;
  write(messageTarget, mailbox.textAddress, text.data(), text.size());
  write(messageTarget, mailbox.typeAddress, &one, sizeof one);
}

std::string SimulatedMemory::Enc64(const std::string& text) {
  return encodeBase64(text);
}

std::string SimulatedMemory::dec64(const std::string& text) {
  return decodeBase64(text);
}

}  // namespace rotaryn::gravik
