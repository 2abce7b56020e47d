#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rotaryn {

// The core's text is single-byte Windows-1252; these convert at the edges (console, Qt, JSON).

// The character a byte stands for; U+FFFD for the five bytes the code page leaves unassigned.
char32_t unicodeOfWindows1252(unsigned char byte);
// The byte for a character; nullopt when the code page has none.
std::optional<char> windows1252ByteOf(char32_t code);
// Windows-1252 bytes as UTF-8.
std::string utf8FromWindows1252(std::string_view text);

}  // namespace rotaryn
