#include "formats/windows_1252.h"

#include <array>

namespace rotaryn::formats {
namespace {

// Bytes 0x80-0x9F; the rest of the code page is Latin-1. The unassigned five are their own
// control characters.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

char32_t unicodeOfWindows1252(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

std::optional<char> windows1252ByteOf(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == code) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

std::string utf8FromWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) appendUtf8(out, unicodeOfWindows1252(static_cast<unsigned char>(c)));
  return out;
}

std::optional<char32_t> nextUtf8Character(std::string_view text, size_t& pos) {
  auto byteAt = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
  unsigned char lead = byteAt(pos);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : (lead & 0xF0) == 0xE0        ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return std::nullopt;
  }
  char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
  for (size_t i = 1; i < length; ++i) {
    if ((byteAt(pos + i) & 0xC0) != 0x80) {
      ++pos;
      return std::nullopt;
    }
    code = (code << 6) | (byteAt(pos + i) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++pos;
    return std::nullopt;
  }
  pos += length;
  return code;
}

namespace {

// Converts UTF-8 text, calling `unspellable` for each character or byte the code page cannot hold;
// false when it returned false.
template <class Unspellable>
bool nameFromUtf8(std::string_view name, std::string& out, Unspellable unspellable) {
  out.reserve(name.size());
  for (size_t pos = 0; pos < name.size();) {
    if (static_cast<unsigned char>(name[pos]) < 0x80) {
      out += name[pos++];
      continue;
    }
    std::optional<char32_t> code = nextUtf8Character(name, pos);
    std::optional<char> byte;
    if (code) {
      byte = windows1252ByteOf(*code);
    }
    if (byte) {
      out += *byte;
    } else if (!unspellable(out)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> windows1252FromUtf8(std::string_view name) {
  std::string out;
  if (!nameFromUtf8(name, out, [](std::string&) { return false; })) return std::nullopt;
  return out;
}

std::string windows1252FromUtf8(std::string_view name, char replacement) {
  std::string out;
  nameFromUtf8(name, out, [replacement](std::string& text) {
    text += replacement;
    return true;
  });
  return out;
}

}  // namespace rotaryn::formats
