#include "host/plugin_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <utility>

namespace rotaryn::host {
namespace {

using CreatePlugin = clsPlugin* (*)(int, const Ports*);
using DestroyPlugin = void (*)(clsPlugin*);

constexpr const char* kCreateSymbol = "twkRotaryn_CreatePlugin";
constexpr const char* kDestroySymbol = "twkRotaryn_DestroyPlugin";

}  // namespace

PluginHandle PluginHandle::load(const std::string& libraryPath, const Ports& ports) {
  if (!std::filesystem::exists(libraryPath)) {
    throw PluginLoadError("no plug-in at " + libraryPath +
                          " (rotaryn-host --init-root puts the built one there)");
  }
  void* library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    throw PluginLoadError("cannot load the plug-in " + libraryPath + ": " + dlerror());
  }
  auto create = reinterpret_cast<CreatePlugin>(dlsym(library, kCreateSymbol));
  auto destroy = reinterpret_cast<DestroyPlugin>(dlsym(library, kDestroySymbol));
  if (create == nullptr || destroy == nullptr) {
    dlclose(library);
    throw PluginLoadError(libraryPath + " is not a Rotaryn plug-in: " + kCreateSymbol + " or " +
                          kDestroySymbol + " is missing");
  }
  clsPlugin* plugin = create(kPluginInterfaceVersion, &ports);
  if (plugin == nullptr) {
    dlclose(library);
    throw PluginLoadError("the plug-in " + libraryPath + " refused interface version " +
                          std::to_string(kPluginInterfaceVersion) +
                          " (a plug-in built from other sources) or could not start");
  }
  if (plugin->interfaceVersion() != kPluginInterfaceVersion) {
    int theirs = plugin->interfaceVersion();
    destroy(plugin);
    dlclose(library);
    throw PluginLoadError("the plug-in " + libraryPath + " speaks interface version " +
                          std::to_string(theirs) + ", this host " +
                          std::to_string(kPluginInterfaceVersion));
  }
  return PluginHandle(library, plugin, destroy);
}

PluginHandle PluginHandle::linked(const Ports& ports, const std::string& pluginFolder) {
  return PluginHandle(nullptr, new clsPlugin(ports, pluginFolder), nullptr);
}

PluginHandle::PluginHandle(PluginHandle&& other) noexcept
    : library_(std::exchange(other.library_, nullptr)),
      plugin_(std::exchange(other.plugin_, nullptr)),
      destroy_(std::exchange(other.destroy_, nullptr)) {}

PluginHandle::~PluginHandle() {
  if (plugin_ != nullptr) {
    if (destroy_ != nullptr) {
      destroy_(plugin_);
    } else {
      delete plugin_;
    }
  }
  if (library_ != nullptr) dlclose(library_);
}

}  // namespace rotaryn::host
