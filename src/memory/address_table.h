#pragma once

#include <cstdint>
#include <string>

#include "platform/collection.h"

namespace rotaryn {

struct Module;

// A profile's address table: key -> absolute address in the server process. A missing key
// raises error 5 in the caller.
using AddressTable = Collection<int32_t>;

// Replaces the profile's table with the set of the chosen build. Reports a failure under
// "SetMemory"; the table then holds the keys added so far.
void SetMemory(Module& module, int32_t index, bool isAffiliate);

// The address of a key in the table of a profile; error 9 for a profile without a table,
// error 5 for a missing key.
int32_t addressOf(const Module& module, int32_t index, const std::string& key);

}  // namespace rotaryn
