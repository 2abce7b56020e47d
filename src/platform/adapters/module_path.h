#pragma once

#include <string>

namespace rotaryn {

// The POSIX folder of the shared object (or executable) that holds the given address; empty
// when the loader cannot tell.
std::string moduleFolderOf(const void* address);

}  // namespace rotaryn
