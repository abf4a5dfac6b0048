#include "platform/OptionalLibrary.h"

#include <dlfcn.h>

namespace platform {

void* OpenOptionalLibrary(const std::string& path) { return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* OptionalLibrarySymbol(void* library, const char* name)
{
    return library != nullptr ? ::dlsym(library, name) : nullptr;
}

void CloseOptionalLibrary(void* library)
{
    if (library != nullptr)
        ::dlclose(library);
}

} // namespace platform
