#include "remote/map_file_rem.h"

#include "catalogue/game_folder_files.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/profiles.h"
#include "store/admin_log.h"

namespace rotaryn {
namespace {

// One element of the byte list (never empty), its position counted from 1. Only a bad element
// builds a message: an upload of megabytes has millions of good ones.
char byteValue(std::string_view text, size_t position) {
  bool number = text.size() <= 3;
  unsigned value = 0;
  for (size_t i = 0; number && i < text.size(); ++i) {
    number = text[i] >= '0' && text[i] <= '9';
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  if (!number) {
    raiseVbError(vberr::kInvalidCall, "upload byte " + std::to_string(position) + " is \"" +
                                          std::string(text.substr(0, 16)) + "\", not a number");
  }
  if (value > 255) {
    raiseVbError(vberr::kOverflow, "upload byte " + std::to_string(position) + " is " +
                                       std::string(text) + ", above 255");
  }
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
  // The elements between the "/"s, read in place: empty ones are skipped, and the one after the
  // final "/" is checked but is not a byte of the file.
  std::string_view list = data.substr(bar + 1);
  upload.bytes.reserve(list.size() / 2);
  for (size_t position = 1; !list.empty(); ++position) {
    const size_t slash = list.find('/');
    const std::string_view element = list.substr(0, slash);
    if (!element.empty()) {
      const char byte = byteValue(element, position);
      if (slash != std::string_view::npos) upload.bytes += byte;
    }
    if (slash == std::string_view::npos) break;
    list.remove_prefix(slash + 1);
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
