#include "platform/adapters/module_path.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace rotaryn {

std::string moduleFolderOf(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  std::string file = info.dli_fname;
  char resolved[PATH_MAX];
  if (realpath(file.c_str(), resolved) != nullptr) file = resolved;
  auto slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : file.substr(0, slash);
}

}  // namespace rotaryn
