// The buffer one E13B read is delivered into: 16384 unsigned samples around
// the quiet level 128. Zero-filled, so that the width analysis and the signal
// view find the end of a shorter signal at its first 0 sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace bench {

constexpr uint32_t SignalBufferSize = 16384;
constexpr uint8_t SignalQuietLevel = 128;

using SignalBuffer = std::unique_ptr<uint8_t[]>;

// A zero-filled buffer, or null when the memory cannot be had.
inline SignalBuffer NewSignalBuffer() { return SignalBuffer(new (std::nothrow) uint8_t[SignalBufferSize]()); }

// Samples before the first 0 sample, at most capacity.
inline size_t SignalLength(const uint8_t* samples, size_t capacity)
{
    size_t n = 0;
    while (n < capacity && samples[n] != 0)
        ++n;
    return n;
}

} // namespace bench
