#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// The one base-64 codec of the project: the memory component's Enc64/dec64, the utility
// component's compressed texts and the exchange texts all use it.
namespace rotaryn::formats {

// A text that is not base 64; what() says why ("the text is not base 64: ...").
class Base64Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Standard base 64 (RFC 4648 alphabet, '=' padding).
std::string encodeBase64(std::string_view bytes);
// Skips CR, LF, tabs and spaces a transport may have added; accepts missing padding. Throws
// Base64Error naming the first offending character or the bad length.
std::string decodeBase64(std::string_view text);

}  // namespace rotaryn::formats
