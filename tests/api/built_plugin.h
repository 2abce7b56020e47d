#pragma once

#include "host/plugin_library.h"

namespace rotaryn::host {

// The operations and privileges of the plug-in this build made, as a host reads them.
inline const PluginDescription& builtPlugin() {
  static const PluginDescription description = PluginHandle::describe(ROTARYN_PLUGIN_BUILD_FILE);
  return description;
}

}  // namespace rotaryn::host
