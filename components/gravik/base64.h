#pragma once

// Enc64 and dec64 use the project's one base-64 codec.
#include "platform/base64.h"

namespace rotaryn::gravik {
using rotaryn::decodeBase64;
using rotaryn::encodeBase64;
}  // namespace rotaryn::gravik
