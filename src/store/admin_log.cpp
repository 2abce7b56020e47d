#include "store/admin_log.h"

#include "platform/vb_date.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/profile_paths.h"

namespace rotaryn {

std::string adminLogText(const std::string& action, const std::string& label,
                         const std::string& value) {
  return "][Rotaryn] " + action + " (" + label + ": " + value + ") from ";
}

namespace {

std::string adminLogFolderOf(const Module& module, const Variant& PDAT) {
  // The host passes its VB Boolean: only True (-1) means one log for the whole host.
  const bool shared = vb::CLng(PDAT.at(11)) == -1;
  return adminLogFolder(module, shared, shared ? "" : vb::CStr(PDAT.at(7)));
}

}  // namespace

std::string adminLogFileOf(const Module& module, const Variant& PDAT, const std::string& day) {
  return adminLogFolderOf(module, PDAT) + "\\" + day + ".txt";
}

void AdminLog(Module& module, const Variant& PDAT, const std::string& text) {
  const DateTime now = module.ports.clock.now();
  const std::string day = vb::Format(now, "yyyy-mm-dd");
  const std::string time = vb::Format(now, "hh:mm:ss");
  const std::string folder = adminLogFolderOf(module, PDAT);
  const std::string administrator = vb::CStr(PDAT.at(10));
  FileSystem& files = module.ports.files;
  if (!files.FolderExists(folder)) files.CreateFolder(folder);
  const std::string file = adminLogFileOf(module, PDAT, day);
  if (!files.FileExists(file)) files.CreateTextFile(file, false);
  module.utility().AppendFile(file, "[" + time + text + administrator);
}

}  // namespace rotaryn
