#include "memory/server_fields.h"

#include <memory>

#include "memory/address_table.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

// What one memory call needs, copied so that nothing points into the module while it runs.
struct Server {
  std::shared_ptr<IMemoryAccess> memory;
  int32_t process;
};

Server serverOf(const Module& module, int32_t index) {
  Server server{module.MemoryAccess, module.profile(index).ServerProcess};
  if (!server.memory) raiseVbError(vberr::kObjectNotSet);
  return server;
}

int32_t fieldAddress(const Module& module, int32_t index, const std::string& key, int32_t offset) {
  return addressOf(module, index, key) + offset;
}

}  // namespace

int32_t readLongAt(Module& module, int32_t index, int32_t address) {
  Server server = serverOf(module, index);
  return server.memory->ReadLong(server.process, address);
}

uint8_t readByteAt(Module& module, int32_t index, int32_t address) {
  Server server = serverOf(module, index);
  return server.memory->ReadByte(server.process, address);
}

std::string readTextAt(Module& module, int32_t index, int32_t address) {
  Server server = serverOf(module, index);
  return server.memory->ReadStr(server.process, address);
}

void writeLongAt(Module& module, int32_t index, int32_t address, int32_t value, int16_t bytes) {
  Server server = serverOf(module, index);
  server.memory->WriteLong(server.process, address, value, bytes);
}

void writeTextAt(Module& module, int32_t index, int32_t address, const std::string& text) {
  Server server = serverOf(module, index);
  server.memory->WriteStr(server.process, address, text);
}

int32_t readLong(Module& module, int32_t index, const std::string& key, int32_t offset) {
  return readLongAt(module, index, fieldAddress(module, index, key, offset));
}

uint8_t readByte(Module& module, int32_t index, const std::string& key, int32_t offset) {
  return readByteAt(module, index, fieldAddress(module, index, key, offset));
}

std::string readText(Module& module, int32_t index, const std::string& key, int32_t offset) {
  return readTextAt(module, index, fieldAddress(module, index, key, offset));
}

void writeLong(Module& module, int32_t index, const std::string& key, int32_t value, int16_t bytes,
               int32_t offset) {
  writeLongAt(module, index, fieldAddress(module, index, key, offset), value, bytes);
}

}  // namespace rotaryn
