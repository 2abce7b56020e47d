// SetMapsRem's data over any text: it is read completely or refused with a VbError before
// anything would be written, and what is accepted holds numbers where the server needs them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/base64.h"
#include "formats/exchange_codec.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "remote/set_maps_rem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The components' pair: dec64 and DecompressString, which raise VbError 5 as the real ones do.
  auto decode = [](const std::string& t) {
    try {
      return formats::decodeBase64(t);
    } catch (const formats::Base64Error& error) {
      raiseVbError(vberr::kInvalidCall, error.what());
    }
  };
  auto decompress = [](const std::string& compressed, int32_t length) {
    try {
      return formats::exchange::decompressText(compressed, length);
    } catch (const formats::exchange::ExchangeError& error) {
      raiseVbError(vberr::kInvalidCall, error.what());
    }
  };
  for (const std::string& input : {text, formats::exchange::lengthPrefixed(text)}) {
    try {
      const SetMapsRequest request = readSetMapsData(input, decode, decompress);
      if (request.lastMapIndex() < -1) std::abort();
      for (const SetMapsRequest::Entry& entry : request.entries) {
        if (!vb::IsNumeric(entry.gameType)) std::abort();
      }
    } catch (const VbError&) {
    }
  }
  // The same text as the uncompressed list, wrapped as a tool would send it.
  try {
    const std::string wrapped = std::to_string(text.size()) + "|" +
                                formats::encodeBase64(formats::exchange::compressText(text));
    (void)readSetMapsData(wrapped, decode, decompress);
  } catch (const VbError&) {
  }
  return 0;
}
