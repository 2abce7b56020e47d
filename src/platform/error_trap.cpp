#include "platform/error_trap.h"

#include <new>
#include <typeinfo>

namespace rotaryn {

// A C++ failure that is not a VbError still ends the procedure the VB way: memory exhaustion is
// VB's 7; anything else is a defect of ours, reported as 51 with its own text.
VbError ErrorTrap::fromStd(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error)) return VbError(vberr::kOutOfMemory);
  return VbError(vberr::kInternalError,
                 std::string(vbErrorDescription(vberr::kInternalError)) + ": " + error.what());
}

}  // namespace rotaryn
