// libFuzzer target: random bytes as the unit's memory file. Whatever parses
// serializes to bytes that parse to the same memory again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "unit/UnitMemory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto memory = virtualunit::ParseMemory(std::vector<uint8_t>(data, data + size));
    if (!memory)
        return 0;
    const std::vector<uint8_t> once = virtualunit::SerializeMemory(*memory);
    const auto again = virtualunit::ParseMemory(once);
    if (!again || virtualunit::SerializeMemory(*again) != once)
        std::abort();
    return 0;
}
