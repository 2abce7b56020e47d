#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// Registers or refreshes a profile from the host's PDAT and makes it current. Raises the VB
// error of a missing (9) or unconvertible (13, 6) element; the caller reports it.
void RegisterProfile(Module& module, int32_t index, const Variant& PDAT);

// The game folder the host's PDAT names (element 5), read without registering the profile or
// making it current. Raises as RegisterProfile does for a missing or unconvertible element.
std::string GameFolderOf(const Variant& PDAT);

}  // namespace rotaryn
