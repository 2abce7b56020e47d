#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// Everything a remote administrator's tool shows of a profile's rotation, in one text (the
// layout is formats/exchange_codec.h's): the settings and limits, every stock and custom map,
// the rotation the server runs and the profile's tasks, compressed after its length. "Failed"
// when the server's game state is below 1. Registers the profile (making it current), rebuilds
// the catalogue and reads the server's rotation into CurrentList; sets the server's map limit
// to 255. Affiliate servers, which have no limit fields, send 0 for their three limits. The map
// lines pass through "tmpmaplist.txt" in the profile's folder, which is gone again when the call
// returns. A failure is reported under "GetMapsRem" and gives "". No admin-log line.
std::string GetMapsRem(Module& module, int32_t Index, const Variant& PDAT,
                       const Variant& Data = {});

// The tasks text of a task file: "section_line_line|section_line_line", from one read of the
// file, with the sections and lines the utility component lists; only a file listing more than one
// section contributes, and only sections of at least two lines. Empty for a missing file.
std::string remoteTasksText(Module& module, const std::string& taskFile);

}  // namespace rotaryn
