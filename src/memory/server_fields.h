#pragma once

#include <cstdint>
#include <string>

namespace rotaryn {

struct Module;

// The one way to a profile's server fields: the key is looked up in the profile's address table,
// the optional offset added, and the memory component called with the profile's ServerProcess.
//
// Each call copies the process and the address out of the profile tables and holds its own
// reference to the component before calling it: a memory call may let events run, and a
// nested registration then grows Profiles and AddressTables under it.
//
// Failures raise a VbError: 9 for a profile without a record or table, 5 for a key its build
// lacks, 91 without a memory component, or the component's own error.
int32_t readLong(Module& module, int32_t index, const std::string& key, int32_t offset = 0);
uint8_t readByte(Module& module, int32_t index, const std::string& key, int32_t offset = 0);
std::string readText(Module& module, int32_t index, const std::string& key, int32_t offset = 0);
// Writes the lowest `bytes` (1..4) bytes of value.
void writeLong(Module& module, int32_t index, const std::string& key, int32_t value,
               int16_t bytes = 4, int32_t offset = 0);

// The same at an absolute address found through a pointer read from the server (the rotation
// list behind "MapPointer", the resource pack behind "ModAdd").
int32_t readLongAt(Module& module, int32_t index, int32_t address);
uint8_t readByteAt(Module& module, int32_t index, int32_t address);
std::string readTextAt(Module& module, int32_t index, int32_t address);
void writeLongAt(Module& module, int32_t index, int32_t address, int32_t value, int16_t bytes = 4);
// Stores the text and its terminating NUL.
void writeTextAt(Module& module, int32_t index, int32_t address, const std::string& text);

}  // namespace rotaryn
