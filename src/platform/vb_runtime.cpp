#include "platform/vb_runtime.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include "platform/vb_error.h"

namespace rotaryn::vb {
namespace {

// The blanks around a number: ASCII white space and the no-break space (0xA0 in Windows-1252).
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' ||
         static_cast<unsigned char>(c) == 0xA0;
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// &H/&O literals (and Val) are two's complement in the smallest of Integer or Long that holds
// the digits' value: "&HFFFF" is -1, "&H10000" is 65536, "&HFFFFFFFF" is -1.
double wrapRadixValue(double value) {
  if (value <= 0xFFFF) return value >= 0x8000 ? value - 0x10000 : value;
  if (value <= 0xFFFFFFFFu) return value >= 0x80000000u ? value - 4294967296.0 : value;
  return value;
}

// Reads the digits of an &H / &O literal starting after the prefix. Returns the number of
// characters used (0 when there is no digit).
size_t readRadixDigits(std::string_view text, size_t pos, int radix, double& value) {
  size_t start = pos;
  value = 0;
  while (pos < text.size()) {
    int digit = hexValue(text[pos]);
    if (digit < 0 || digit >= radix) break;
    value = value * radix + digit;
    ++pos;
  }
  return pos - start;
}

int radixOf(std::string_view text, size_t pos) {
  if (pos + 1 >= text.size() || text[pos] != '&') return 0;
  char kind = text[pos + 1];
  if (kind == 'H' || kind == 'h') return 16;
  if (kind == 'O' || kind == 'o') return 8;
  return 0;
}

// A decimal number from its cleaned parts; nullopt when it is beyond the range of a Double.
std::optional<double> decimalValue(const std::string& intDigits, const std::string& fracDigits,
                                   const std::string& exponent) {
  std::string canonical = (intDigits.empty() ? "0" : intDigits) + "." +
                          (fracDigits.empty() ? "0" : fracDigits) + "e" +
                          (exponent.empty() ? "0" : exponent);
  double value = 0;
  auto [end, error] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Underflow reads as 0; overflow is not a Double.
    if (!exponent.empty() && exponent[0] == '-') return 0.0;
    return std::nullopt;
  }
  if (error != std::errc() || end != canonical.data() + canonical.size()) return std::nullopt;
  return value;
}

// The en-US characters the conversions accept around and inside a number.
constexpr char kCurrency = '$';
constexpr char kThousands = ',';
constexpr char kDecimalPoint = '.';

// What a text holds as a number, as the conversions of text read it: blanks, one sign and one
// pair of parentheses around it, a currency sign before it (once) or after it (any number of
// times), thousands separators anywhere after its first digit, one decimal point and an
// exponent; or &H / &O digits with blanks, a sign or parentheses around them (which leave the
// value unsigned) and nothing else.
struct TextNumber {
  enum Kind { kNone, kDecimal, kRadix } kind = kNone;
  bool negative = false;
  // kDecimal: the digits before and after the point, and the exponent as written.
  std::string intDigits;
  std::string fracDigits;
  std::string exponent;
  // kRadix: the digits' value, unless more than 64 bits hold.
  uint64_t radixValue = 0;
  bool radixBeyond64Bits = false;
};

// &H / &O digits from pos; the number of characters used (0 when there is no digit).
size_t readRadixWord(std::string_view text, size_t pos, int radix, TextNumber& number) {
  const size_t start = pos;
  const int shift = radix == 16 ? 4 : 3;
  for (; pos < text.size(); ++pos) {
    const int digit = hexValue(text[pos]);
    if (digit < 0 || digit >= radix) break;
    if (number.radixValue >> (64 - shift) != 0) number.radixBeyond64Bits = true;
    number.radixValue = (number.radixValue << shift) | static_cast<uint64_t>(digit);
  }
  return pos - start;
}

TextNumber readTextNumber(std::string_view text) {
  size_t pos = 0;
  const size_t size = text.size();
  TextNumber number;
  char sign = 0;
  bool openParen = false;
  bool leadingCurrency = false;
  for (; pos < size; ++pos) {
    const char c = text[pos];
    if (isBlank(c)) {
    } else if ((c == '+' || c == '-') && !sign) {
      sign = c;
    } else if (c == '(' && !openParen) {
      openParen = true;
    } else if (c == kCurrency && !leadingCurrency) {
      leadingCurrency = true;
    } else {
      break;
    }
  }

  // An amount of money is never written in another radix.
  const int radix = leadingCurrency ? 0 : radixOf(text, pos);
  bool digitSeen = false;
  if (radix != 0) {
    const size_t used = readRadixWord(text, pos + 2, radix, number);
    if (used == 0) return {};
    pos += 2 + used;
    digitSeen = true;
  } else {
    bool point = false;
    for (; pos < size; ++pos) {
      const char c = text[pos];
      if (isDigit(c)) {
        (point ? number.fracDigits : number.intDigits) += c;
        digitSeen = true;
      } else if (c == kThousands && digitSeen) {
        // Separators count only after the first digit, wherever they stand.
      } else if (c == kDecimalPoint && !point) {
        point = true;
      } else {
        break;
      }
    }
    if (!digitSeen) return {};
    if (pos < size && (text[pos] == 'e' || text[pos] == 'E')) {
      ++pos;
      if (pos < size && (text[pos] == '+' || text[pos] == '-')) number.exponent += text[pos++];
      const size_t digitsStart = pos;
      while (pos < size && isDigit(text[pos])) number.exponent += text[pos++];
      if (pos == digitsStart) return {};
    }
  }

  bool closedParen = false;
  for (; pos < size; ++pos) {
    const char c = text[pos];
    if (isBlank(c)) {
    } else if ((c == '+' || c == '-') && !sign) {
      sign = c;
    } else if (c == ')' && openParen && !closedParen) {
      closedParen = true;
    } else if ((c == kCurrency || c == kThousands) && radix == 0) {
      // A currency sign may follow the amount any number of times, as separators may.
    } else {
      return {};
    }
  }
  if (openParen != closedParen) return {};
  if (openParen && sign) return {};
  number.kind = radix != 0 ? TextNumber::kRadix : TextNumber::kDecimal;
  number.negative = sign == '-' || openParen;
  return number;
}

// The Double a text number converts to; nullopt when none holds it (VB error 6). &H / &O text
// converts as a Long would up to &H80000000 (-2147483648) and overflows above that.
std::optional<double> doubleOf(const TextNumber& number) {
  if (number.kind == TextNumber::kRadix) {
    if (number.radixBeyond64Bits || number.radixValue > 0x80000000u) return std::nullopt;
    return number.radixValue == 0x80000000u ? -2147483648.0
                                            : static_cast<double>(number.radixValue);
  }
  std::optional<double> value = decimalValue(number.intDigits, number.fracDigits, number.exponent);
  if (!value) return std::nullopt;
  return number.negative ? -*value : *value;
}

// The whole number nearest to a decimal text, ties to even, decided on its digits rather than on
// the nearest Double: "3.4999999999999999" is 3, though the nearest Double is 3.5. Its magnitude
// is capped past every integer target.
double nearestWholeOf(const TextNumber& number) {
  std::string digits = number.intDigits + number.fracDigits;
  // Digits before the point, after applying the exponent (which a Double holds, or the text
  // would have overflowed before this).
  long long before = static_cast<long long>(number.intDigits.size());
  if (!number.exponent.empty()) {
    // Capped where no text of digits can reach, so the sum cannot overflow.
    constexpr long long kCap = 1LL << 40;
    long long exponent = 0;
    const auto [end, error] =
        std::from_chars(number.exponent.data() + (number.exponent[0] == '+'),
                        number.exponent.data() + number.exponent.size(), exponent);
    if (error == std::errc::result_out_of_range)
      exponent = number.exponent[0] == '-' ? -kCap : kCap;
    before += std::clamp(exponent, -kCap, kCap);
  }
  const size_t lead = digits.find_first_not_of('0');
  if (lead == std::string::npos) return 0;
  digits.erase(0, lead);
  before -= static_cast<long long>(lead);
  if (before > 19) return number.negative ? -1e20 : 1e20;
  if (before < 0) return 0;  // below 0.1

  uint64_t whole = 0;
  for (long long i = 0; i < before; ++i) {
    const size_t at = static_cast<size_t>(i);
    whole = whole * 10 + static_cast<uint64_t>(at < digits.size() ? digits[at] - '0' : 0);
  }
  const size_t first = static_cast<size_t>(before);
  if (first < digits.size()) {
    const char dropped = digits[first];
    const bool beyondHalf = digits.find_first_not_of('0', first + 1) != std::string::npos;
    if (dropped > '5' || (dropped == '5' && (beyondHalf || whole % 2 == 1))) ++whole;
  }
  const double magnitude = static_cast<double>(whole);
  return number.negative ? -magnitude : magnitude;
}

// The text of a string Variant as a number; text that is not one raises 13.
TextNumber textNumberOf(const Variant& value) {
  TextNumber number = readTextNumber(value.asString());
  if (number.kind == TextNumber::kNone) raiseVbError(vberr::kTypeMismatch);
  return number;
}

// The number a Variant stands for as a Double. Text that is not a number raises 13, a number
// beyond a Double 6.
double numberOf(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return 0;
    case Variant::Type::Boolean:
      return value.asBoolean() ? -1 : 0;
    case Variant::Type::Integer:
      return value.asInteger();
    case Variant::Type::Long:
      return value.asLong();
    case Variant::Type::Double:
      return value.asDouble();
    case Variant::Type::String: {
      const std::optional<double> number = doubleOf(textNumberOf(value));
      if (!number) raiseVbError(vberr::kOverflow);
      return *number;
    }
    case Variant::Type::Array:
      break;
  }
  raiseVbError(vberr::kTypeMismatch);
}

double roundHalfEven(double value) {
  double floor = std::floor(value);
  double fraction = value - floor;
  if (fraction > 0.5) return floor + 1;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

template <class Int>
Int roundedInRange(const Variant& value) {
  double rounded = 0;
  if (value.type() == Variant::Type::String) {
    const TextNumber number = textNumberOf(value);
    if (number.kind == TextNumber::kRadix) {
      // &H / &O text that fits the type's width is its bit pattern: CInt("&HFFFF") is -1,
      // CLng("&HFFFF") 65535; wider text overflows.
      constexpr int kBits = std::numeric_limits<std::make_unsigned_t<Int>>::digits;
      if (number.radixBeyond64Bits || number.radixValue >> kBits != 0) {
        raiseVbError(vberr::kOverflow);
      }
      return static_cast<Int>(static_cast<std::make_unsigned_t<Int>>(number.radixValue));
    }
    // A number beyond a Double overflows before any rounding.
    if (!doubleOf(number)) raiseVbError(vberr::kOverflow);
    rounded = nearestWholeOf(number);
  } else {
    rounded = roundHalfEven(numberOf(value));
  }
  if (std::isnan(rounded) || rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    raiseVbError(vberr::kOverflow);
  }
  return static_cast<Int>(rounded);
}

// Windows-1252 case mapping: ASCII, the Latin-1 letters and the three pairs at 0x8A/0x9A,
// 0x8C/0x9C, 0x8E/0x9E, and 0xFF -> 0x9F. 0xDF (sharp s) and 0xB5 (micro) keep their case.
unsigned char upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
  if (c == 0xFF) return 0x9F;
  return c;
}
unsigned char lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

std::string formatDouble(double value) {
  if (value == 0) return "0";  // also -0, which VB never prints with a sign
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string out(buffer, error == std::errc() ? end : buffer);
  for (char& c : out) {
    if (c == 'e') c = 'E';
  }
  return out;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
  const TextNumber number = readTextNumber(text);
  if (number.kind == TextNumber::kNone) return std::nullopt;
  return doubleOf(number);
}

bool IsNumeric(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::String:
      return parseNumber(value.asString()).has_value();
    case Variant::Type::Array:
      return false;
    default:
      return true;  // Empty reads as 0, booleans as 0 / -1
  }
}

bool IsNumeric(std::string_view text) {
  return parseNumber(text).has_value();
}

int32_t CLng(const Variant& value) {
  if (value.type() == Variant::Type::Long) return value.asLong();
  return roundedInRange<int32_t>(value);
}

int16_t CInt(const Variant& value) {
  if (value.type() == Variant::Type::Integer) return value.asInteger();
  return roundedInRange<int16_t>(value);
}

uint8_t CByte(const Variant& value) {
  return roundedInRange<uint8_t>(value);
}

double CDbl(const Variant& value) {
  return numberOf(value);
}

bool CBool(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Boolean:
      return value.asBoolean();
    case Variant::Type::String: {
      // Also the text that Write # puts into a file for a Boolean, in its own case only.
      const std::string& text = value.asString();
      if (EqualsText(text, "True") || text == "#TRUE#") return true;
      if (EqualsText(text, "False") || text == "#FALSE#") return false;
      return numberOf(value) != 0;
    }
    default:
      return numberOf(value) != 0;
  }
}

std::string CStr(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return "";
    case Variant::Type::Boolean:
      return value.asBoolean() ? "True" : "False";
    case Variant::Type::Integer:
      return std::to_string(value.asInteger());
    case Variant::Type::Long:
      return std::to_string(value.asLong());
    case Variant::Type::Double:
      return formatDouble(value.asDouble());
    case Variant::Type::String:
      return value.asString();
    case Variant::Type::Array:
      break;
  }
  raiseVbError(vberr::kTypeMismatch);
}

double Val(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') compact += c;
  }

  if (int radix = radixOf(compact, 0)) {
    double value = 0;
    readRadixDigits(compact, 2, radix, value);
    return wrapRadixValue(value);
  }

  size_t pos = 0;
  const size_t size = compact.size();
  bool negative = false;
  if (pos < size && (compact[pos] == '+' || compact[pos] == '-')) {
    negative = compact[pos] == '-';
    ++pos;
  }
  std::string intDigits;
  std::string fracDigits;
  while (pos < size && isDigit(compact[pos])) intDigits += compact[pos++];
  if (pos < size && compact[pos] == '.') {
    ++pos;
    while (pos < size && isDigit(compact[pos])) fracDigits += compact[pos++];
  }
  if (intDigits.empty() && fracDigits.empty()) return 0;

  // Val also takes D as an exponent letter; an exponent without digits is ignored.
  std::string exponent;
  if (pos < size &&
      (compact[pos] == 'e' || compact[pos] == 'E' || compact[pos] == 'd' || compact[pos] == 'D')) {
    size_t at = pos + 1;
    std::string candidate;
    if (at < size && (compact[at] == '+' || compact[at] == '-')) candidate += compact[at++];
    size_t digitsStart = at;
    while (at < size && isDigit(compact[at])) candidate += compact[at++];
    if (at > digitsStart) exponent = candidate;
  }

  auto value = decimalValue(intDigits, fracDigits, exponent);
  if (!value) raiseVbError(vberr::kOverflow);
  return negative ? -*value : *value;
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  if (delimiter.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  size_t start = 0;
  while (true) {
    size_t found = text.find(delimiter, start);
    if (found == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, found - start));
    start = found + delimiter.size();
  }
}

std::string Join(const std::vector<std::string>& parts, std::string_view delimiter) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += delimiter;
    out += parts[i];
  }
  return out;
}

std::string LTrim(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text) {
  size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) {
  return LTrim(RTrim(text));
}

long InStr(long start, std::string_view text, std::string_view find) {
  if (start < 1) raiseVbError(vberr::kInvalidCall);
  if (static_cast<size_t>(start) > text.size()) return 0;
  if (find.empty()) return start;
  size_t found = text.find(find, static_cast<size_t>(start - 1));
  return found == std::string_view::npos ? 0 : static_cast<long>(found) + 1;
}

long InStr(std::string_view text, std::string_view find) {
  return InStr(1, text, find);
}

long InStrRev(std::string_view text, std::string_view find) {
  if (text.empty()) return 0;
  if (find.empty()) return static_cast<long>(text.size());
  size_t found = text.rfind(find);
  return found == std::string_view::npos ? 0 : static_cast<long>(found) + 1;
}

std::string Left(std::string_view text, long length) {
  if (length < 0) raiseVbError(vberr::kInvalidCall);
  return std::string(text.substr(0, static_cast<size_t>(length)));
}

std::string Right(std::string_view text, long length) {
  if (length < 0) raiseVbError(vberr::kInvalidCall);
  size_t count = std::min(text.size(), static_cast<size_t>(length));
  return std::string(text.substr(text.size() - count));
}

std::string Mid(std::string_view text, long start) {
  if (start < 1) raiseVbError(vberr::kInvalidCall);
  if (static_cast<size_t>(start) > text.size()) return "";
  return std::string(text.substr(static_cast<size_t>(start - 1)));
}

std::string Mid(std::string_view text, long start, long length) {
  if (start < 1 || length < 0) raiseVbError(vberr::kInvalidCall);
  if (static_cast<size_t>(start) > text.size()) return "";
  return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
}

std::string Replace(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  std::string out;
  size_t start = 0;
  while (true) {
    size_t found = text.find(find, start);
    if (found == std::string_view::npos) break;
    out.append(text.substr(start, found - start));
    out.append(with);
    start = found + find.size();
  }
  out.append(text.substr(start));
  return out;
}

std::string UCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(upper1252(static_cast<unsigned char>(c)));
  return out;
}

std::string LCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(lower1252(static_cast<unsigned char>(c)));
  return out;
}

bool EqualsText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // A table, as names are compared by the thousand when settings files are read.
  static const std::array<unsigned char, 256> upper = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = upper1252(static_cast<unsigned char>(c));
    return table;
  }();
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] &&
        upper[static_cast<unsigned char>(a[i])] != upper[static_cast<unsigned char>(b[i])]) {
      return false;
    }
  }
  return true;
}

}  // namespace rotaryn::vb
