#include "remote/map_file_rem.h"

#include "catalogue/game_folder_files.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/profiles.h"
#include "store/admin_log.h"

namespace rotaryn {
namespace {

// One element of the byte list: 1 to 3 decimal digits.
char byteValue(std::string_view text, size_t position) {
  const std::string where = "upload byte " + std::to_string(position + 1);
  if (text.size() > 3 || text.find_first_not_of("0123456789") != std::string_view::npos) {
    raiseVbError(vberr::kInvalidCall,
                 where + " is \"" + std::string(text.substr(0, 16)) + "\", not a number");
  }
  const int value = std::stoi(std::string(text));
  if (value > 255)
    raiseVbError(vberr::kOverflow, where + " is " + std::string(text) + ", above 255");
  return static_cast<char>(value);
}

}  // namespace

UploadData parseUploadData(std::string_view data) {
  const size_t bar = data.find('|');
  if (bar == std::string_view::npos || data.find('|', bar + 1) != std::string_view::npos) {
    raiseVbError(vberr::kInvalidCall, "the upload must be a file name, \"|\" and the bytes");
  }
  UploadData upload;
  upload.fileName = std::string(data.substr(0, bar));
  requireGameFolderName(upload.fileName);
  const std::vector<std::string> values = vb::Split(data.substr(bar + 1), "/");
  upload.bytes.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].empty()) continue;
    const char byte = byteValue(values[i], i);
    // The text after the final "/" is not a byte of the file.
    if (i + 1 < values.size()) upload.bytes += byte;
  }
  return upload;
}

std::string deleteFileName(const std::string& data,
                           const std::function<std::string(const std::string&)>& decode64) {
  std::string name = decode64(data);
  requireGameFolderName(name);
  return name;
}

int32_t AddFileRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  ErrorTrap trap = module.trap("AddFileRem", Index);
  const bool done = trap.run([&] {
    trap.at(1);
    // A file operation must not make its profile the one the window shows.
    const std::string folder = GameFolderOf(PDAT);
    trap.at(2);
    const UploadData upload = parseUploadData(vb::CStr(Data));
    trap.at(3);
    const std::string target = folder + upload.fileName;
    module.ports.files.ReplaceAll(target, upload.bytes);
    trap.at(4);
    AdminLog(module, PDAT, adminLogText("Upload Map File", "File", target));
  });
  return done ? 1 : 0;
}

int32_t DeleteFileRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  ErrorTrap trap = module.trap("DeleteFileRem", Index);
  bool gone = false;
  const bool finished = trap.run([&] {
    trap.at(1);
    const std::string folder = GameFolderOf(PDAT);
    trap.at(2);
    const std::string name = deleteFileName(
        vb::CStr(Data), [&](const std::string& text) { return module.memory().dec64(text); });
    const std::string target = folder + name;
    FileSystem& files = module.ports.files;
    trap.at(3);
    if (files.FileExists(target)) {
      for (const std::string& companion : deletedCompanionNames(name)) {
        if (files.FileExists(folder + companion)) files.DeleteFile(folder + companion, true);
      }
      trap.at(4);
      files.DeleteFile(target, true);
      gone = !files.FileExists(target);
    }
    trap.at(5);
    AdminLog(module, PDAT, adminLogText("Delete Map File", "File", target));
  });
  return finished && gone ? 1 : 0;
}

}  // namespace rotaryn
