#include "formats/base64.h"

#include <array>
#include <cstdint>

namespace rotaryn::formats {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> decodeTable() {
  std::array<int8_t, 256> table{};
  for (auto& value : table) value = -1;
  for (size_t i = 0; i < kAlphabet.size(); ++i) {
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
  }
  return table;
}
constexpr std::array<int8_t, 256> kDecode = decodeTable();

[[noreturn]] void raiseInvalid(const std::string& why) {
  throw Base64Error("the text is not base 64: " + why);
}

}  // namespace

std::string encodeBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  auto byteAt = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]));
  };
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t group = byteAt(i) << 16 | byteAt(i + 1) << 8 | byteAt(i + 2);
    out.push_back(kAlphabet[group >> 18 & 63]);
    out.push_back(kAlphabet[group >> 12 & 63]);
    out.push_back(kAlphabet[group >> 6 & 63]);
    out.push_back(kAlphabet[group & 63]);
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t group = byteAt(i) << 16 | (rest == 2 ? byteAt(i + 1) << 8 : 0);
    out.push_back(kAlphabet[group >> 18 & 63]);
    out.push_back(kAlphabet[group >> 12 & 63]);
    out.push_back(rest == 2 ? kAlphabet[group >> 6 & 63] : '=');
    out.push_back('=');
  }
  return out;
}

std::string decodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  int filled = 0;
  int padding = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    int8_t value = kDecode[static_cast<unsigned char>(c)];
    if (value < 0) {
      raiseInvalid("character " + std::to_string(static_cast<unsigned char>(c)) + " at position " +
                   std::to_string(i + 1));
    }
    if (padding > 0)
      raiseInvalid("text after the '=' padding at position " + std::to_string(i + 1));
    group = group << 6 | static_cast<uint32_t>(value);
    if (++filled == 4) {
      out.push_back(static_cast<char>(group >> 16 & 0xFF));
      out.push_back(static_cast<char>(group >> 8 & 0xFF));
      out.push_back(static_cast<char>(group & 0xFF));
      group = 0;
      filled = 0;
    }
  }
  if (filled == 1) raiseInvalid("its length is not a whole number of bytes");
  if (padding > 2 || (padding > 0 && filled + padding != 4)) raiseInvalid("bad '=' padding");
  if (filled == 2) {
    out.push_back(static_cast<char>(group >> 4 & 0xFF));
  } else if (filled == 3) {
    out.push_back(static_cast<char>(group >> 10 & 0xFF));
    out.push_back(static_cast<char>(group >> 2 & 0xFF));
  }
  return out;
}

}  // namespace rotaryn::formats
