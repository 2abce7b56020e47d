#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rotaryn::formats {

// A rotation entry as map-list (.mpl) and last-settings files hold it: "type[-]custom[-]file".
inline constexpr std::string_view kRotationEntrySeparator = "[-]";

// The three fields as the text has them, except that the file name is trimmed of blanks.
struct RotationEntryFields {
  std::string gameType;
  std::string customFlag;
  std::string file;
};

std::string rotationEntryText(std::string_view type, std::string_view custom,
                              std::string_view file);

// The entry's fields; nothing when the text does not split into exactly three.
std::optional<RotationEntryFields> splitRotationEntry(std::string_view text);

}  // namespace rotaryn::formats
