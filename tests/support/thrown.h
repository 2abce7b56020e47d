#pragma once

#include <exception>
#include <string>

namespace rotaryn {

// What the call throws as E: its what(); "" when it throws nothing.
template <class E = std::exception, class Call>
std::string thrownBy(Call&& call) {
  try {
    call();
  } catch (const E& error) {
    return error.what();
  }
  return "";
}

}  // namespace rotaryn
