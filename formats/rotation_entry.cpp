#include "formats/rotation_entry.h"

#include <vector>

namespace rotaryn::formats {

std::string rotationEntryText(std::string_view type, std::string_view custom,
                              std::string_view file) {
  std::string text(type);
  text.append(kRotationEntrySeparator).append(custom).append(kRotationEntrySeparator);
  return text.append(file);
}

std::optional<RotationEntryFields> splitRotationEntry(std::string_view text) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t at = text.find(kRotationEntrySeparator, start);
    fields.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos || fields.size() > 3) break;
    start = at + kRotationEntrySeparator.size();
  }
  if (fields.size() != 3) return std::nullopt;
  // Blanks only, as the files' own reader trims; a tab belongs to the name.
  std::string_view file = fields[2];
  file.remove_prefix(std::min(file.find_first_not_of(' '), file.size()));
  file.remove_suffix(file.size() - (file.find_last_not_of(' ') + 1));
  return RotationEntryFields{std::string(fields[0]), std::string(fields[1]), std::string(file)};
}

}  // namespace rotaryn::formats
