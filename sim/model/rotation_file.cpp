#include "sim/model/rotation_file.h"

#include <charconv>
#include <stdexcept>

#include "formats/rotation_entry.h"
#include "sim/model/server_layout.h"

namespace rotaryn::sim {
namespace {

constexpr std::string_view kSeparator = formats::kRotationEntrySeparator;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool parseInt(std::string_view text, int32_t& value) {
  text = trimmed(text);
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

RotationEntry parseLine(std::string_view line, int lineNumber) {
  auto fail = [&](const std::string& why) -> RotationEntry {
    throw std::invalid_argument("rotation line " + std::to_string(lineNumber) + ": " + why +
                                " (expected gametype[-]custom[-]MISSIONFILE.BMS[-]Display Name)");
  };
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (parts.size() < 3) {
    size_t at = line.find(kSeparator, start);
    if (at == std::string_view::npos) break;
    parts.push_back(line.substr(start, at - start));
    start = at + kSeparator.size();
  }
  parts.push_back(line.substr(start));
  if (parts.size() < 3) return fail("too few fields");
  RotationEntry entry;
  int32_t custom = 0;
  if (!parseInt(parts[0], entry.gameType) || entry.gameType < 0 || entry.gameType > 8) {
    return fail("game type must be 0 to 8");
  }
  if (!parseInt(parts[1], custom) || (custom != 0 && custom != 1)) {
    return fail("custom flag must be 0 or 1");
  }
  entry.custom = custom == 1;
  entry.missionFile = std::string(trimmed(parts[2]));
  if (entry.missionFile.empty()) return fail("mission file is empty");
  if (parts.size() > 3) entry.displayName = std::string(trimmed(parts[3]));
  if (entry.displayName.empty()) {
    entry.displayName = entry.missionFile.substr(0, entry.missionFile.rfind('.'));
  }
  try {
    checkRotationEntry(entry);
  } catch (const std::invalid_argument& error) {
    throw std::invalid_argument("rotation line " + std::to_string(lineNumber) + ": " +
                                error.what());
  }
  return entry;
}

}  // namespace

std::vector<RotationEntry> parseRotation(std::string_view text) {
  std::vector<RotationEntry> entries;
  int lineNumber = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    entries.push_back(parseLine(line, lineNumber));
  }
  return entries;
}

std::string formatRotationLine(const RotationEntry& entry) {
  return std::to_string(entry.gameType) + std::string(kSeparator) + (entry.custom ? "1" : "0") +
         std::string(kSeparator) + entry.missionFile + std::string(kSeparator) + entry.displayName;
}

void checkRotationEntry(const RotationEntry& entry) {
  auto tooLong = [](const char* what, const std::string& text, size_t capacity) {
    throw std::invalid_argument(
        std::string(what) + " \"" + text + "\" has " + std::to_string(text.size()) +
        " characters; the server holds at most " + std::to_string(capacity));
  };
  if (entry.gameType < 0 || entry.gameType > 8) {
    throw std::invalid_argument("game type " + std::to_string(entry.gameType) + " is not 0 to 8");
  }
  if (entry.missionFile.size() > kMissionFileCapacity) {
    tooLong("mission file", entry.missionFile, kMissionFileCapacity);
  }
  if (entry.displayName.size() > kDisplayNameCapacity) {
    tooLong("display name", entry.displayName, kDisplayNameCapacity);
  }
}

std::vector<RotationEntry> defaultRotation() {
  return {
      {0, false, "DMM_01A.BMS", "City Madness"},
      {1, false, "TDMM_01A.BMS", "Mean Streets A"},
      {3, false, "TKHM_01A.BMS", "House of Pain A"},
      {8, false, "FBM_01A.BMS", "Pigskin A"},
  };
}

}  // namespace rotaryn::sim
