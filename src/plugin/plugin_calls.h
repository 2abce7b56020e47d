#pragma once

#include "plugin/json_values.h"

namespace rotaryn {

class clsPlugin;

// Runs one operation of the plug-in object from a JSON request, {"op":"DisableProfile",
// "Index":3}, with the arguments under the names the operations give them (Index, pHwnd, PDAT,
// Data, fName, pName, tk, dm, fb). Answers {"result":...}; raises VbError for a malformed
// request (5), an operation this version does not have (438) and the failures the untrapped
// operations pass to their caller.
Json callPluginOperation(clsPlugin& plugin, const Json& request);

// {"error":{"number":N,"description":"..."}}.
Json errorAnswer(int number, const std::string& description);

}  // namespace rotaryn
