// The optional MICR decode library beside the program: when it offers
// MICR_GenerateDump, it writes the E13B dump of each saved document instead
// of the bench.
#pragma once

#include <string>

inline constexpr const char* DecodeLibraryName = "MICRDecodelib.so";
inline constexpr const char* GenerateDumpSymbol = "MICR_GenerateDump";

// Takes the full path of the dump file; its result is not looked at.
using GenerateDumpFunction = int (*)(const char* path);

struct DecodeLibrary {
    void* Handle = nullptr;
    GenerateDumpFunction GenerateDump = nullptr;
};

// The process's library, empty until found; once found it stays loaded.
DecodeLibrary& ProcessDecodeLibrary();

// When nothing is loaded yet, loads DecodeLibraryName from programFolder and
// looks up GenerateDumpSymbol; a library without it is unloaded and
// forgotten. Nothing is reported. True when the function is there.
bool LoadDecodeLibrary(DecodeLibrary& library, const std::string& programFolder);
