#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

// VB6 conversions and string functions with VB's rules. Strings are single-byte; positions are
// 1-based as in VB. Failures raise VbError with VB's numbers.
namespace rotaryn::vb {

// Number parsing as VB's "converts to Double" in the en-US locale: blanks, a sign (leading or
// trailing), parentheses, "$" once before the number or any number of times after it, ","
// anywhere after the first digit, '.', exponents; or &H / &O digits with only blanks, a sign or
// parentheses around them, which leave the value unsigned ("-&H10" is 16). &H / &O text above
// &H80000000 is beyond a Double's conversion; &H80000000 itself is -2147483648. nullopt for
// text that is no number and for a number beyond a Double.
std::optional<double> parseNumber(std::string_view text);
bool IsNumeric(const Variant& value);
bool IsNumeric(std::string_view text);
inline bool IsNumeric(const std::string& text) {
  return IsNumeric(std::string_view(text));
}
inline bool IsNumeric(const char* text) {
  return IsNumeric(std::string_view(text));
}

// Round half to even, range check: error 6 "Overflow"; non-numeric text: error 13, text of a
// number beyond a Double (or, for CDbl and CBool, &H / &O text above &H80000000): error 6. Text
// is rounded on its decimal digits ("3.4999999999999999" is 3). &H/&O text that fits the
// target's width is its bit pattern ("&HFFFF": CInt -1, CLng 65535) and wider text overflows.
int32_t CLng(const Variant& value);
int16_t CInt(const Variant& value);
uint8_t CByte(const Variant& value);
double CDbl(const Variant& value);
// "True"/"False" in any case or "#TRUE#"/"#FALSE#" in capitals, else a number as CDbl reads it
// (true when not zero); otherwise error 13.
bool CBool(const Variant& value);
// Numbers as VB prints them ("1.5", "-3", "1E+20"); booleans "True"/"False"; Empty "".
std::string CStr(const Variant& value);
// Val: reads a leading number; &H/&O text wraps as a literal does ("&HFFFF" is -1). Raises only
// error 6, for a number beyond a Double.
double Val(std::string_view text);

// Split: "" gives an empty array; a missing delimiter gives one element.
std::vector<std::string> Split(std::string_view text, std::string_view delimiter);
std::string Join(const std::vector<std::string>& parts, std::string_view delimiter);
std::string Trim(std::string_view text);   // spaces only
std::string LTrim(std::string_view text);  // spaces only
std::string RTrim(std::string_view text);  // spaces only
// 1-based position of find in text from start; 0 when not found. start < 1 raises error 5.
long InStr(long start, std::string_view text, std::string_view find);
long InStr(std::string_view text, std::string_view find);
long InStrRev(std::string_view text, std::string_view find);
std::string Left(std::string_view text, long length);
std::string Right(std::string_view text, long length);
std::string Mid(std::string_view text, long start);
std::string Mid(std::string_view text, long start, long length);
std::string Replace(std::string_view text, std::string_view find, std::string_view with);
// Windows-1252 letters: ASCII and the accented Latin-1 ones (0xE9 <-> 0xC9).
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);
// Case-insensitive comparison of single-byte text (Option Compare Text): letters fold as UCase
// folds them (Windows-1252).
bool EqualsText(std::string_view a, std::string_view b);

}  // namespace rotaryn::vb
