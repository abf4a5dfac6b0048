// libFuzzer target: random EEPROM write texts and counts (the first two bytes).
// The write touches only the first count bytes of the buffer.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "maintenance/DeviceTestRules.h"

using namespace devicetest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int count = static_cast<int16_t>(data[0] | data[1] << 8);
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    (void)EepromWriteTextProblem(text, count);
    (void)DecimalPrefix(text);
    EepromBuffer buffer;
    buffer.fill(0xA5);
    ComposeEepromWrite(text, count, buffer);
    const size_t touched = static_cast<size_t>(std::clamp<int>(count, 0, static_cast<int>(buffer.size())));
    if (!std::all_of(buffer.begin() + touched, buffer.end(), [](uint8_t b) { return b == 0 || b == 0xA5; }))
        std::abort();
    (void)EepromReadText(buffer.data(), std::min<int>(count, static_cast<int>(buffer.size())));
    return 0;
}
