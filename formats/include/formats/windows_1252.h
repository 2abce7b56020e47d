#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rotaryn::formats {

// The plug-in's, the servers' and the configuration's text is single-byte Windows-1252; these
// convert at the edges (console, Qt, JSON, file names). The five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number,
// as Windows converts them, so that every byte comes back the same.

// The character a byte stands for.
char32_t unicodeOfWindows1252(unsigned char byte);
// The byte for a character; nullopt when the code page has none.
std::optional<char> windows1252ByteOf(char32_t code);
// Windows-1252 bytes as UTF-8.
std::string utf8FromWindows1252(std::string_view text);

// The character of UTF-8 text starting at pos, which moves past it; nullopt, and pos one byte on,
// where no valid sequence starts (overlong forms and surrogates are not valid).
std::optional<char32_t> nextUtf8Character(std::string_view text, size_t& pos);

// UTF-8 text as Windows-1252; nullopt when it is not UTF-8 or holds a character the code page
// has no byte for.
std::optional<std::string> windows1252FromUtf8(std::string_view text);
// The same, with `replacement` for each such character or byte (as Windows' "?" for a name it
// cannot spell in the ANSI code page).
std::string windows1252FromUtf8(std::string_view text, char replacement);

}  // namespace rotaryn::formats
