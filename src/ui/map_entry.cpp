#include "ui/map_entry.h"

#include "platform/vb_runtime.h"

namespace rotaryn {

std::string mapEntryText(std::string_view name, std::string_view file) {
  std::string text(name);
  text += " <";
  text += file;
  text += ">";
  return text;
}

MapEntry SplitMapEntry(std::string_view text) {
  long p = vb::InStrRev(text, "<");
  if (p == 0) p = 1;
  long length = static_cast<long>(text.size());
  MapEntry entry;
  entry.name = vb::Trim(vb::Left(text, p - 1));
  entry.file = vb::Trim(vb::Mid(text, p + 1, length - p - 1));
  return entry;
}

}  // namespace rotaryn
