#pragma once

#include <string>
#include <string_view>

namespace rotaryn {

struct MapEntry {
  std::string name;
  std::string file;
};

// A grid row's text: display name, " <", mission file, ">".
std::string mapEntryText(std::string_view name, std::string_view file);

// Reads a row's text back: the name before the last "<" and the file between it and the last
// character, both trimmed. Without a "<" the name is empty. Raises 5 for a text too short to
// hold a file part, as the string functions it stands on do.
MapEntry SplitMapEntry(std::string_view text);

}  // namespace rotaryn
