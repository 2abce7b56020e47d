// The plug-in library's C entry points. No C++ exception crosses them.
#include "platform/adapters/module_path.h"
#include "platform/adapters/windows_file_system.h"
#include "plugin/cls_plugin.h"

extern "C" {

// Creates the plug-in object, or returns null when the host speaks another interface version
// or the start-up cannot run.
__attribute__((visibility("default"))) rotaryn::clsPlugin* twkRotaryn_CreatePlugin(
    int hostInterfaceVersion, const rotaryn::Ports* ports) noexcept {
  if (hostInterfaceVersion != rotaryn::kPluginInterfaceVersion || ports == nullptr) return nullptr;
  try {
    std::string folder =
        rotaryn::moduleFolderOf(reinterpret_cast<const void*>(&twkRotaryn_CreatePlugin));
    return new rotaryn::clsPlugin(*ports, rotaryn::WindowsFileSystem::toWindowsPath(folder));
  } catch (...) {
    return nullptr;
  }
}

__attribute__((visibility("default"))) void twkRotaryn_DestroyPlugin(
    rotaryn::clsPlugin* plugin) noexcept {
  delete plugin;
}
}
