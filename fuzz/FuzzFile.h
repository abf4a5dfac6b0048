// The targets whose reader opens a file by name get the input as a file of
// their own process.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// A path in /tmp, the same for every call of one process.
inline std::string FuzzFilePath(const char* name)
{
    return "/tmp/varn-fuzz-" + std::string(name) + "-" + std::to_string(getpid());
}

// False when the bytes could not all be written.
inline bool WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}
