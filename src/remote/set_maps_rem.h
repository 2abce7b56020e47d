#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// SetMapsRem's data once read: the three limits (as numbers for the server, as sent for
// "lastsettings.ini") and the rotation entries.
struct SetMapsRequest {
  struct Entry {
    std::string gameType;
    std::string custom;
    std::string missionFile;
  };
  std::string kothText, killText, gameScoreText;
  int32_t koth = 0, kill = 0, gameScore = 0;
  std::vector<Entry> entries;
  // "mapcount": the index of the last map key (number of fields less 5).
  int32_t lastMapIndex() const { return static_cast<int32_t>(entries.size()) - 1; }
};

// Reads the whole data before anything is written: "<length>|<base 64 of the compressed text>",
// the text "x_koth_kills_score_entry_entry...", each entry "name|base64(mission)|type|flag".
// decode64 and decompress are the memory component's dec64 and the utility component's
// DecompressString. Raises VbError: 5 for a wrong shape (no single "|", fewer than four fields,
// an entry of fewer than four parts, bad base 64, a length that does not match), 13 for a limit,
// length or game type that is not a number, 6 for one beyond 32 bits.
SetMapsRequest readSetMapsData(
    const std::string& data, const std::function<std::string(const std::string&)>& decode64,
    const std::function<std::string(const std::string&, int32_t)>& decompress);

// For a remote administrator: registers the profile, reads Data (above), writes the three
// configured limits into the server whatever its state (not on the affiliate build, which has
// none), and while a game runs records the rotation in "lastsettings.ini" and restores it with
// a forced autoload: 1. Between games: 0, rotation untouched. One admin-log line either way;
// data that cannot be read writes nothing, is reported under "SetMapsRem" and gives 0 with no
// log line.
int32_t SetMapsRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data = {});

}  // namespace rotaryn
