// AddFileRem's upload data over any text: accepted data names one plain file of the game folder
// and gives the same file when written out again and read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalogue/game_folder_files.h"
#include "platform/vb_error.h"
#include "remote/map_file_rem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const UploadData upload = parseUploadData(text);
    if (!gameFolderNameFault(upload.fileName).empty()) std::abort();
    std::string again = upload.fileName + "|";
    for (unsigned char byte : upload.bytes) again += std::to_string(byte) + "/";
    const UploadData reread = parseUploadData(again);
    if (reread.fileName != upload.fileName || reread.bytes != upload.bytes) std::abort();
  } catch (const VbError&) {
  }
  return 0;
}
