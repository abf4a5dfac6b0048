#include "vnapi/imaging/FileBytes.h"

#include <cstdio>
#include <memory>

namespace imaging {

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

FileReadResult ReadFileBytes(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return FileReadResult::CannotOpen;
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return FileReadResult::ReadError;
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return FileReadResult::ReadError;
    if (static_cast<unsigned long>(size) > maxBytes)
        return FileReadResult::TooLarge;
    bytes->assign(static_cast<size_t>(size), 0);
    if (size > 0 && std::fread(bytes->data(), 1, bytes->size(), file.get()) != bytes->size())
        return FileReadResult::ReadError;
    return FileReadResult::Ok;
}

FileReadResult ReadFileHead(const char* path, size_t count, std::vector<uint8_t>* bytes)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return FileReadResult::CannotOpen;
    bytes->assign(count, 0);
    const size_t got = std::fread(bytes->data(), 1, count, file.get());
    if (std::ferror(file.get()))
        return FileReadResult::ReadError;
    bytes->resize(got);
    return FileReadResult::Ok;
}

bool WriteFileBytes(const char* path, const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    if (written && closed)
        return true;
    std::remove(path);
    return false;
}

} // namespace imaging
