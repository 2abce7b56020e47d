#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rotaryn::sim {

// One map of the server's rotation: its rotation entry and its map slot.
struct RotationEntry {
  int32_t gameType = 0;  // 0 Deathmatch .. 8 Flagball
  bool custom = false;
  std::string missionFile;  // "DMM_01A.BMS"
  std::string displayName;  // "City Madness"

  bool operator==(const RotationEntry&) const = default;
};

// A rotation file: one map per line, the rotation entry text of a map-list file followed by the
// display name,
//     gametype[-]custom[-]MISSIONFILE.BMS[-]Display Name
// for example "1[-]0[-]TDMM_01A.BMS[-]Mean Streets A". Blank lines and lines starting with '#'
// or ';' are skipped; CR is ignored. A missing display name is the mission file without its
// extension. Throws std::invalid_argument naming the line of the first bad line, a line whose
// texts do not fit the server (checkRotationEntry) included.
std::vector<RotationEntry> parseRotation(std::string_view text);
std::string formatRotationLine(const RotationEntry& entry);

// Throws std::invalid_argument saying which text of the entry is too long for the server: a
// mission file longer than kMissionFileCapacity (its rotation entry), a display name longer
// than kDisplayNameCapacity (CurMap, which shows it while the map plays), or a game type
// outside 0..8.
void checkRotationEntry(const RotationEntry& entry);

// Four stock maps of four game types (Deathmatch, Team Deathmatch, Team King of the Hill,
// Flagball), names from the stock catalogue.
std::vector<RotationEntry> defaultRotation();

}  // namespace rotaryn::sim
