#pragma once

#include <string>

namespace rotaryn {

// The host root folder from the folder of the plug-in's own file (Windows form): removes every
// "\Plugins", then every "\plugins", then every "\dlls\Rotaryn", each in exact case.
std::string deriveRootFolder(const std::string& pluginFolder);

}  // namespace rotaryn
