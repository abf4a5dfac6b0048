// libFuzzer target: the library's decodes (codeline OCR, barcode, PDF417) on
// arbitrary bitmaps and windows. The last bytes choose the decode and its
// window, the rest is the packed bitmap.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const VirtualUnitPair unit = CreateVirtualUnit(TestUnitSetup(1));
    FuzzedDataProvider input(data, size);
    const uint8_t which = input.ConsumeIntegral<uint8_t>();
    const int32_t x = input.ConsumeIntegral<int16_t>();
    const int32_t y = input.ConsumeIntegral<int16_t>();
    const int32_t width = input.ConsumeIntegral<int16_t>();
    const int32_t height = input.ConsumeIntegral<int16_t>();
    const char letter = input.ConsumeIntegral<char>();
    // Capacity below the 300 bytes given: short buffers must be honoured.
    const uint16_t capacity = input.ConsumeIntegralInRange<uint16_t>(0, 300);
    uint16_t length = capacity;
    PackedBitmap image(input.ConsumeRemainingBytes<uint8_t>());
    std::vector<char> text(301, '\x7f');
    VnApi& api = *unit.Api;
    switch (which % 3) {
    case 0: {
        const char readType[3] = {letter, static_cast<char>(which >> 2), '\0'};
        const DecodeOptions options{which >> 4, which & 8 ? 'X' : 'N'};
        api.Varn_CodelineReadFromBitmap(0, &image, readType, which & 4 ? 1 : 0, x / 8.0f, y / 8.0f, width / 8.0f,
                                        height / 8.0f, &options, text.data(), &length);
        break;
    }
    case 1:
        api.Varn_ReadBarcodeFromBitmap(0, &image, letter, x, y, width, height, text.data(), &length);
        break;
    default: {
        int32_t extra = 0;
        api.Varn_ReadPdf417FromBitmap(0, &image, text.data(), &length, &extra, x, y, width, height);
        break;
    }
    }
    if (length > capacity)
        std::abort();
    for (size_t i = capacity; i < text.size(); ++i)
        if (text[i] != '\x7f')
            std::abort();
    return 0;
}
