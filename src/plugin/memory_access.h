#pragma once

#include <cstdint>
#include <string>

#include "platform/component_registry.h"

namespace rotaryn {

inline constexpr const char* kMemoryAccessProgId = "Gravik.clsMemory";

// The memory-access component "Gravik.clsMemory". `process` is the profile's ServerProcess
// (a process id in our backends), passed by reference first as the component expects. Every
// member raises VbError on failure with a message an operator can act on.
class IMemoryAccess : public Component {
 public:
  virtual int32_t ReadLong(int32_t& process, int32_t address) = 0;
  virtual uint8_t ReadByte(int32_t& process, int32_t address) = 0;
  // The NUL-terminated single-byte text at the address.
  virtual std::string ReadStr(int32_t& process, int32_t address) = 0;
  // Writes the lowest byteCount (1..4) bytes of value, little-endian.
  virtual void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) = 0;
  // Writes the text and its NUL.
  virtual void WriteStr(int32_t& process, int32_t address, const std::string& text) = 0;
  // Hands the server a console command. messageTarget identifies the server to deliver to.
  virtual void AddMsg(int32_t& profileIndex, int32_t& messageTarget, const std::string& command,
                      bool& isAffiliate, const std::string& kind, int16_t flag) = 0;
  virtual std::string Enc64(const std::string& text) = 0;
  // Raises error 5 for text that is not base 64.
  virtual std::string dec64(const std::string& text) = 0;
};

}  // namespace rotaryn
