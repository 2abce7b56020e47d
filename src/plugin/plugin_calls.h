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

// What a host needs to know of the operations, from the table callPluginOperation runs:
// {"privileges":["Change Map List",...],"operations":[{"name":"SetMapsRem","arguments":["Index",
// "PDAT","Data"],"remote":{"privilege":"Change Map List","data":true,"readOnly":false}},...]};
// "remote" only on the operations remote administrators reach, a null privilege: any.
Json describeOperations();

// {"error":{"number":N,"description":"..."}}.
Json errorAnswer(int number, const std::string& description);

}  // namespace rotaryn
