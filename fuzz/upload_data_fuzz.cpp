// AddFileRem's upload data over any text: accepted data names one plain file of the game folder
// and gives the same file when written out again and read back; and the in-place reading
// accepts and refuses exactly as reading the list split into elements does, with the same error.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "catalogue/game_folder_files.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "remote/map_file_rem.h"

namespace {

using namespace rotaryn;

// The byte list read the plain way: split at every "/", then each element on its own.
UploadData splitReading(std::string_view data) {
  const size_t bar = data.find('|');
  if (bar == std::string_view::npos || data.find('|', bar + 1) != std::string_view::npos) {
    raiseVbError(vberr::kInvalidCall, "the upload must be a file name, \"|\" and the bytes");
  }
  UploadData upload{std::string(data.substr(0, bar)), {}};
  requireGameFolderName(upload.fileName);
  const std::vector<std::string> values = vb::Split(data.substr(bar + 1), "/");
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string& text = values[i];
    if (text.empty()) continue;
    const std::string where = "upload byte " + std::to_string(i + 1);
    if (text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
      raiseVbError(vberr::kInvalidCall, where + " is \"" + text.substr(0, 16) + "\", not a number");
    }
    const int value = std::stoi(text);
    if (value > 255) raiseVbError(vberr::kOverflow, where + " is " + text + ", above 255");
    if (i + 1 < values.size()) upload.bytes += static_cast<char>(value);
  }
  return upload;
}

struct Outcome {
  std::optional<UploadData> upload;
  int error = 0;
  std::string description;
};

template <class Read>
Outcome outcomeOf(Read read, std::string_view text) {
  try {
    return {read(text), 0, {}};
  } catch (const VbError& error) {
    return {std::nullopt, error.number(), error.description()};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Outcome fast = outcomeOf(parseUploadData, text);
  const Outcome plain = outcomeOf(splitReading, text);
  if (fast.error != plain.error || fast.description != plain.description) std::abort();
  if (!fast.upload) return 0;
  const UploadData& upload = *fast.upload;
  if (upload.fileName != plain.upload->fileName || upload.bytes != plain.upload->bytes) {
    std::abort();
  }
  if (!gameFolderNameFault(upload.fileName).empty()) std::abort();
  std::string again = upload.fileName + "|";
  for (unsigned char byte : upload.bytes) again += std::to_string(byte) + "/";
  const UploadData reread = parseUploadData(again);
  if (reread.fileName != upload.fileName || reread.bytes != upload.bytes) std::abort();
  return 0;
}
