#pragma once

#include <cstdint>
#include <vector>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// Registers or refreshes a profile from the host's PDAT and makes it current. Raises the VB
// error of a missing (9) or unconvertible (13, 6) element; the caller reports it.
void RegisterProfile(Module& module, int32_t index, const Variant& PDAT);

// True when the array has been dimensioned (has bounds). An upper bound above 255 is reported
// under "ArrayInit" and answers false.
template <class T>
bool ArrayInit(Module& module, const std::vector<T>& array);
bool arrayInitBound(Module& module, long upperBound, bool dimensioned);

template <class T>
bool ArrayInit(Module& module, const std::vector<T>& array) {
  return arrayInitBound(module, static_cast<long>(array.size()) - 1, !array.empty());
}

}  // namespace rotaryn
