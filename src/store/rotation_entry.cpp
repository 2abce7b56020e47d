#include "store/rotation_entry.h"

#include <vector>

#include "platform/vb_runtime.h"

namespace rotaryn {

std::string rotationEntryText(const std::string& type, const std::string& custom,
                              const std::string& file) {
  return type + kRotationEntrySeparator + custom + kRotationEntrySeparator + file;
}

std::optional<RotationEntryFields> splitRotationEntry(std::string_view text) {
  std::vector<std::string> fields = vb::Split(text, kRotationEntrySeparator);
  if (fields.size() != 3) return std::nullopt;
  return RotationEntryFields{std::move(fields[0]), std::move(fields[1]), vb::Trim(fields[2])};
}

}  // namespace rotaryn
