// Compiled with a program's include directories by the boundary test: it must fail, since the
// host, the admin tool and the simulator reach the plug-in through its C interface only.
#include "plugin/module.h"
