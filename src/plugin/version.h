#pragma once

#include <string>

namespace rotaryn {

// The plug-in's own version, from the build's project version.
struct PluginVersion {
  int major;
  int minor;
  int revision;
  std::string text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
  }
};

extern const PluginVersion kPluginVersion;

}  // namespace rotaryn
