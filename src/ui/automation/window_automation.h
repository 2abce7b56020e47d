#pragma once

#include "plugin/json_values.h"

namespace rotaryn {

struct Module;

// Drives and inspects the plug-in's window and state as a user or a test would, one JSON
// request at a time:
//   {"event":"press","control":"cmdAdd","button":"left"}   an input event on a control
//   {"dump":"control","control":"mfgList"}                  one control's properties
//   {"dump":"window"|"controls"|"currentList"}              the window, its controls, the rotation
//   {"dump":"profile","index":1}                            a profile's record
// Answers {"result":...} and, when something was only noted, "notes":[...]. A request that
// cannot be done raises VbError 5 saying why; the window is left as it was.
Json automateWindow(Module& module, const Json& request);

}  // namespace rotaryn
