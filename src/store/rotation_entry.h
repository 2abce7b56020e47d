#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rotaryn {

// A rotation entry as the map-list and last-settings files hold it: "type[-]custom[-]file".
inline constexpr const char* kRotationEntrySeparator = "[-]";

// The three fields as the text has them, except that the file name is trimmed of blanks.
struct RotationEntryFields {
  std::string gameType;
  std::string customFlag;
  std::string file;
};

std::string rotationEntryText(const std::string& type, const std::string& custom,
                              const std::string& file);

// The entry's fields; nothing when the text does not split into exactly three.
std::optional<RotationEntryFields> splitRotationEntry(std::string_view text);

}  // namespace rotaryn
