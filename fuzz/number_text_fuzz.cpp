// The conversions of text to numbers over any text: IsNumeric and CDbl agree with the one
// parser, CLng raises only 6 or 13 and otherwise lands within a half of the decimal value, and
// CBool fails exactly where the text is neither a number nor True / False.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace {

// The VB error a call raises, 0 when it raises none; any other failure aborts.
template <class Call>
int errorOf(Call call) {
  try {
    call();
  } catch (const rotaryn::VbError& error) {
    return error.number();
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<double> parsed = vb::parseNumber(text);
  if (vb::IsNumeric(text) != parsed.has_value()) std::abort();

  double asDouble = 0;
  const int dblError = errorOf([&] { asDouble = vb::CDbl(Variant(text)); });
  if (parsed ? (dblError != 0 || asDouble != *parsed) : (dblError != 6 && dblError != 13)) {
    std::abort();
  }

  int32_t asLong = 0;
  const int lngError = errorOf([&] { asLong = vb::CLng(Variant(text)); });
  if (lngError != 0 && lngError != 6 && lngError != 13) std::abort();
  // Decimal text rounds to a whole number next to its value; &H / &O text wraps instead.
  if (lngError == 0 && parsed && text.find('&') == std::string::npos &&
      std::fabs(asLong - *parsed) > 0.5 + 1e-9 * std::fabs(*parsed)) {
    std::abort();
  }
  if (parsed && lngError == 13) std::abort();

  const int boolError = errorOf([&] { vb::CBool(Variant(text)); });
  const bool word = vb::EqualsText(text, "True") || vb::EqualsText(text, "False") ||
                    text == "#TRUE#" || text == "#FALSE#";
  if ((boolError == 13) != (!parsed && dblError == 13 && !word)) std::abort();
  return 0;
}
