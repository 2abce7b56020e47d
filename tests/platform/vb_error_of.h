#pragma once

#include <functional>
#include <string>

#include "platform/vb_error.h"

namespace rotaryn {

// The number of the run-time error the call raises; 0 when it raises none.
inline int errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const VbError& error) {
    return error.number();
  }
  return 0;
}

// The text of the run-time error the call raises; "" when it raises none.
inline std::string errorTextOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const VbError& error) {
    return error.description();
  }
  return "";
}

}  // namespace rotaryn
