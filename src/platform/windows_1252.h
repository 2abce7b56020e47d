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

// The character of UTF-8 text starting at pos, which moves past it; nullopt, and pos one byte on,
// where no valid sequence starts (overlong forms and surrogates are not valid).
std::optional<char32_t> nextUtf8Character(std::string_view text, size_t& pos);

// File names between the system's UTF-8 and the core's Windows-1252. Here the five bytes the code
// page leaves unassigned stand for the control characters of the same number, as Windows converts
// them, so that every name the core can write comes back the same.
std::string utf8NameFromWindows1252(std::string_view name);
// nullopt when the name is not UTF-8 or holds a character Windows-1252 has no byte for.
std::optional<std::string> windows1252NameFromUtf8(std::string_view name);
// The same, with `replacement` for each such character or byte (as Windows' "?" for a name it
// cannot spell in the ANSI code page).
std::string windows1252NameFromUtf8(std::string_view name, char replacement);

}  // namespace rotaryn
