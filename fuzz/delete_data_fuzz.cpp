// DeleteFileRem's data over any text (and the text's base 64): a name it accepts, and every
// companion it would delete, is one plain file of the game folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalogue/game_folder_files.h"
#include "formats/base64.h"
#include "platform/vb_error.h"
#include "remote/map_file_rem.h"

namespace {

void check(const std::string& data) {
  using namespace rotaryn;
  try {
    const std::string name =
        deleteFileName(data, [](const std::string& text) { return formats::decodeBase64(text); });
    if (!gameFolderNameFault(name).empty()) std::abort();
    for (const std::string& companion : deletedCompanionNames(name)) {
      if (!gameFolderNameFault(companion).empty()) std::abort();
    }
  } catch (const VbError&) {
  } catch (const formats::Base64Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  check(text);
  check(rotaryn::formats::encodeBase64(text));
  return 0;
}
