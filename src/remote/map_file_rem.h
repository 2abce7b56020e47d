#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// An upload as AddFileRem receives it: "name|66/77/83/".
struct UploadData {
  std::string fileName;
  std::string bytes;
};

// Reads and checks the whole upload before anything is touched: exactly one "|", a name
// requireGameFolderName accepts, and every element of the byte list a decimal 0-255 (empty
// elements are skipped). The element after the final "/" is checked too but not written, so a
// list that does not end with "/" loses its last byte. Raises VbError 52 for a refused name, 5
// for a malformed list, 6 for a value above 255.
UploadData parseUploadData(std::string_view data);

// The file name a delete names: the base 64 decoded by `decode64` (the memory component's
// dec64), checked by requireGameFolderName.
std::string deleteFileName(const std::string& data,
                           const std::function<std::string(const std::string&)>& decode64);

// For a remote administrator. Both act on the game folder PDAT names, without registering the
// profile or making it current.
//
// AddFileRem writes the uploaded bytes as GameFolder & name, beside it first and then moved
// into place, so a failed upload leaves the earlier file (or none); 1 when written.
// DeleteFileRem deletes GameFolder & name and its ".til" and ".wac" companions (read-only
// files too); 1 when the map file is gone afterwards, 0 when there was none. Refused data
// (see above) touches nothing. A failure or refusal is reported under the method's name and
// gives 0 without an admin-log line; otherwise one line naming the file's path is appended.
int32_t AddFileRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data = {});
int32_t DeleteFileRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data = {});

}  // namespace rotaryn
