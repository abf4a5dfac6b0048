// libFuzzer target: random text as the virtual unit's set-up file.
#include <cstdint>
#include <string>
#include <vector>

#include "vnapi/VirtualUnitTestApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> ignored;
    const VirtualUnitSetup setup = ParseVirtualUnitSetup(std::string(reinterpret_cast<const char*>(data), size),
                                                         &ignored);
    (void)setup;
    return 0;
}
