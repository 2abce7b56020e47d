#pragma once

#include <string>
#include <string_view>

namespace rotaryn::host {

// Why the bytes are not a whole shared library of this machine's ELF class and byte order (the
// ELF header, the program and section header tables and every loadable segment within the
// file), or an empty text. dlopen maps a file cut short and dies of SIGBUS on the first page
// past its end; this is what the host checks first.
std::string sharedLibraryProblem(std::string_view bytes);

// The file's problem as above, or why it cannot be read.
std::string sharedLibraryFileProblem(const std::string& path);

}  // namespace rotaryn::host
