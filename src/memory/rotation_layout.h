#pragma once

// The server's rotation list and map slots, under the name the memory code reads them by.

#include "formats/server_builds.h"

namespace rotaryn {
namespace rotation = formats::rotation;
}  // namespace rotaryn
