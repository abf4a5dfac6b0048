#include "micr/SignalFiles.h"

#include <cstdio>

namespace bench {

bool WriteSignalFile(const std::string& path, const uint8_t* bytes, size_t count)
{
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = (count == 0 || std::fwrite(bytes, 1, count, file) == count);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string NumberedSignalName(const char* prefix, uint16_t number, const char* suffix)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d", static_cast<int>(number));
    return std::string(prefix) + text + suffix;
}

} // namespace bench
