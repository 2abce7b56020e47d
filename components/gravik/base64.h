#pragma once

#include <string>
#include <string_view>

namespace rotaryn::gravik {

// Standard base 64 (RFC 4648 alphabet, '=' padding), as Enc64 and dec64 of Gravik.clsMemory.
std::string encodeBase64(std::string_view bytes);
// Skips CR, LF, tabs and spaces; accepts missing padding. Raises VbError 5 naming the first
// offending character or the bad length.
std::string decodeBase64(std::string_view text);

}  // namespace rotaryn::gravik
