#include "micr/DecodeLibrary.h"

#include "platform/OptionalLibrary.h"

DecodeLibrary& ProcessDecodeLibrary()
{
    static DecodeLibrary library;
    return library;
}

bool LoadDecodeLibrary(DecodeLibrary& library, const std::string& programFolder)
{
    if (library.GenerateDump != nullptr)
        return true;
    library.Handle = platform::OpenOptionalLibrary(programFolder + DecodeLibraryName);
    if (library.Handle == nullptr)
        return false;
    void* symbol = platform::OptionalLibrarySymbol(library.Handle, GenerateDumpSymbol);
    if (symbol == nullptr) {
        platform::CloseOptionalLibrary(library.Handle);
        library.Handle = nullptr;
        return false;
    }
    library.GenerateDump = reinterpret_cast<GenerateDumpFunction>(symbol);
    return true;
}
