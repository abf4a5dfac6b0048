// libFuzzer target: random bytes as the settings record "Varnw.Cfg". Decoding
// then encoding gives the bytes back (short inputs padded with zeros), so no
// field and no gap byte is lost or changed on the way.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SettingsRecord record = DecodeSettings(data, size);
    const auto bytes = EncodeSettings(record);
    const size_t kept = std::min(size, bytes.size());
    if (!std::equal(data, data + kept, bytes.begin()) ||
        !std::all_of(bytes.begin() + kept, bytes.end(), [](uint8_t b) { return b == 0; }))
        std::abort();
    return 0;
}
