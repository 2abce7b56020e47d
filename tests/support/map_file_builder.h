#pragma once

// Tests build map files with the one layout the plug-in reads.
#include "formats/map_file_layout.h"

namespace rotaryn {
using formats::mapFileBytes;
}  // namespace rotaryn
