// The exchange codec over any text: every parser answers or raises ExchangeError, and what it
// accepted builds into a text that parses to the same thing again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/exchange_codec.h"

namespace {

template <typename Parse, typename Build>
void roundTrip(const std::string& text, Parse parse, Build build) {
  try {
    const auto parsed = parse(text);
    if (parse(build(parsed)) != parsed) std::abort();
  } catch (const rotaryn::formats::exchange::ExchangeError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn::formats::exchange;
  const std::string text(reinterpret_cast<const char*>(data), size);
  roundTrip(text, parseMapsBody, buildMapsBody);
  roundTrip(text, parseMapsAnswer, buildMapsAnswer);
  roundTrip(text, parseSetMapsText, setMapsText);
  roundTrip(text, parseSetMapsData, buildSetMapsData);
  // The same input as a compressed stream (the length is what the stream claims).
  try {
    (void)decompressText(text, 4096);
  } catch (const ExchangeError&) {
  }
  return 0;
}
