#pragma once

#include <cstdint>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// Registers or refreshes a profile from the host's PDAT and makes it current. Raises the VB
// error of a missing (9) or unconvertible (13, 6) element; the caller reports it.
void RegisterProfile(Module& module, int32_t index, const Variant& PDAT);

}  // namespace rotaryn
