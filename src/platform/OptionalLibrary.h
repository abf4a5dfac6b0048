// Libraries the bench uses when they are present: opened at run time by
// path, a symbol looked up, closed. No error is ever reported: a library that
// is missing or cannot be loaded is simply absent.
#pragma once

#include <string>

namespace platform {

// Null when the file is missing or is not a loadable library.
void* OpenOptionalLibrary(const std::string& path);
// Null when the library has no such symbol.
void* OptionalLibrarySymbol(void* library, const char* name);
void CloseOptionalLibrary(void* library);

} // namespace platform
