// The signal files the bench keeps: raw samples, no header, one byte a sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

// Writes the bytes to path through a temporary file beside it, renamed into
// place, so a reader never sees half a file. False when the folder is
// missing or the file cannot be written; the caller skips it silently.
bool WriteSignalFile(const std::string& path, const uint8_t* bytes, size_t count);

// "<prefix>%04d<suffix>" with the 16-bit file number.
std::string NumberedSignalName(const char* prefix, uint16_t number, const char* suffix);

} // namespace bench
