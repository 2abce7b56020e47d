#include "catalogue/game_folder_files.h"

#include <array>
#include <utility>

#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

constexpr size_t kLongestName = 255;
constexpr std::string_view kWindowsRefused = "\\/:*?\"<>|";

bool isDeviceName(std::string_view name) {
  // Windows opens the device for "NUL", "nul.txt", "COM1.bms" alike: compare the base name.
  const std::string base = vb::UCase(name.substr(0, name.find('.')));
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '0' && base[3] <= '9';
}

}  // namespace

std::string gameFolderNameFault(std::string_view name) {
  if (name.empty()) return "the file name is empty";
  if (name.size() > kLongestName) return "the file name is longer than 255 characters";
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return "the file name holds a control character";
    if (kWindowsRefused.find(static_cast<char>(c)) != std::string_view::npos) {
      return std::string("the file name holds \"") + static_cast<char>(c) + "\"";
    }
  }
  if (name.find_first_not_of('.') == std::string_view::npos) {
    return "the file name is a folder step";
  }
  if (name.back() == '.' || name.back() == ' ') {
    return "the file name ends with a dot or a blank";
  }
  if (isDeviceName(name)) return "the file name is a device name";
  return "";
}

void requireGameFolderName(std::string_view name) {
  const std::string fault = gameFolderNameFault(name);
  if (!fault.empty()) raiseVbError(vberr::kBadFileName, fault + ": refused");
}

std::vector<std::string> addedCompanionNames(std::string_view mapFileName) {
  const std::string base(mapFileName.substr(0, mapFileName.find('.')));
  return {base + ".til", base + ".TIL", base + ".wac", base + ".WAC"};
}

std::vector<std::string> deletedCompanionNames(std::string_view mapFileName) {
  if (mapFileName.size() <= 4) return {};
  const std::string base(mapFileName.substr(0, mapFileName.size() - 4));
  std::vector<std::string> names;
  // "COM1xxxx" is a plain name, but its companions would be the device COM1.
  for (std::string name : {base + ".til", base + ".wac"}) {
    if (gameFolderNameFault(name).empty()) names.push_back(std::move(name));
  }
  return names;
}

void copyMapWithCompanions(Module& module, const std::string& sourceFolder,
                           const std::string& fileName, const std::string& gameFolder) {
  FileSystem& files = module.ports.files;
  std::vector<std::pair<std::string, std::string>> copies;  // target name, bytes
  copies.emplace_back(fileName, files.ReadAll(sourceFolder + fileName));
  for (const std::string& companion : addedCompanionNames(fileName)) {
    if (files.FileExists(sourceFolder + companion)) {
      copies.emplace_back(companion, files.ReadAll(sourceFolder + companion));
    }
  }
  for (const auto& [name, bytes] : copies) files.ReplaceAll(gameFolder + name, bytes);
}

}  // namespace rotaryn
