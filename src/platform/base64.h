#pragma once

#include <string>
#include <string_view>

// The one base-64 codec of the project: the memory component's Enc64/dec64 and the utility
// component's compressed texts both use it.
namespace rotaryn {

// Standard base 64 (RFC 4648 alphabet, '=' padding).
std::string encodeBase64(std::string_view bytes);
// Skips CR, LF, tabs and spaces a transport may have added; accepts missing padding. Raises
// VbError 5, "the text is not base 64: " and the first offending character or the bad length.
std::string decodeBase64(std::string_view text);

}  // namespace rotaryn
