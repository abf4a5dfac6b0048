// Whole-file reads and writes for the image files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging {

enum class FileReadResult { Ok, CannotOpen, TooLarge, ReadError };

// Reads at most maxBytes; a larger file is refused rather than truncated.
FileReadResult ReadFileBytes(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes);

// Reads the first bytes of a file (fewer when the file is shorter).
FileReadResult ReadFileHead(const char* path, size_t count, std::vector<uint8_t>* bytes);

// Writes the bytes, replacing the file; a partly written file is removed.
bool WriteFileBytes(const char* path, const uint8_t* data, size_t size);

} // namespace imaging
