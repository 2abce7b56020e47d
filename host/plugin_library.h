#pragma once

#include <stdexcept>
#include <string>

#include "plugin/cls_plugin.h"

namespace rotaryn::host {

// The plug-in library could not be loaded or refused to start; the text says which and why.
class PluginLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Owns the one clsPlugin of a host run: created through the library's C entry point (dlopen) or
// linked into the host. Destroying it destroys the plug-in object, then unloads the library.
class PluginHandle {
 public:
  // Loads the library and creates the plug-in with the host's interface version; the ports must
  // outlive the handle. Throws PluginLoadError.
  static PluginHandle load(const std::string& libraryPath, const Ports& ports);
  // The plug-in code linked into the host, started as if its file were in pluginFolder
  // (a Windows path; the root folder is derived from it).
  static PluginHandle linked(const Ports& ports, const std::string& pluginFolder);

  PluginHandle(PluginHandle&& other) noexcept;
  PluginHandle& operator=(PluginHandle&&) = delete;
  PluginHandle(const PluginHandle&) = delete;
  ~PluginHandle();

  clsPlugin& plugin() { return *plugin_; }
  bool fromLibrary() const { return library_ != nullptr; }

 private:
  using Destroy = void (*)(clsPlugin*);
  PluginHandle(void* library, clsPlugin* plugin, Destroy destroy)
      : library_(library), plugin_(plugin), destroy_(destroy) {}

  void* library_ = nullptr;
  clsPlugin* plugin_ = nullptr;
  Destroy destroy_ = nullptr;
};

}  // namespace rotaryn::host
