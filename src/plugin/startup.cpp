#include "plugin/startup.h"

#include "platform/vb_runtime.h"

namespace rotaryn {

std::string deriveRootFolder(const std::string& pluginFolder) {
  std::string root = vb::Replace(pluginFolder, "\\Plugins", "");
  root = vb::Replace(root, "\\plugins", "");
  return vb::Replace(root, "\\dlls\\Rotaryn", "");
}

}  // namespace rotaryn
