#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rotaryn {

struct Module;

// Why a file name may not be joined to the game folder, or "" when it may. A name is one plain
// file name inside the folder: not empty, no "\" or "/", no ":" (drives, streams), no control
// character, none of the characters Windows refuses (* ? " < > |), no name made only of dots,
// no trailing dot or blank (Windows drops them, so "x.bms." would be another file), no device
// name (CON, NUL, COM1, ... with or without an extension), at most 255 characters.
std::string gameFolderNameFault(std::string_view name);
// Raises VbError 52 (bad file name) naming the fault when the name is refused.
void requireGameFolderName(std::string_view name);

// The companions a map brings along when it is added: base name (up to the first ".") with
// ".til", ".TIL", ".wac", ".WAC", in this order. "canyon.night.bms" gives "canyon.til", ...
std::vector<std::string> addedCompanionNames(std::string_view mapFileName);
// The companions a remote delete removes: the name without its last four characters, with
// ".til" and ".wac"; only those that are plain file names themselves (none when nothing would
// be left of the name).
std::vector<std::string> deletedCompanionNames(std::string_view mapFileName);

// Copies a map file and the companions found beside it into the game folder (ending in "\"),
// replacing files of the same names. Every source is read before anything is written, and each
// file is written beside its target and moved into place, so a failure leaves each target as it
// was or wholly new. Raises the file system's errors.
void copyMapWithCompanions(Module& module, const std::string& sourceFolder,
                           const std::string& fileName, const std::string& gameFolder);

}  // namespace rotaryn
