// libFuzzer target: random bytes as frames for the network box's decoder,
// then whatever decodes through the box's argument reading (on a library
// with no unit, so nothing waits).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "box/BoxProtocol.h"
#include "box/BoxService.h"
#include "vnapi/VnApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::unique_ptr<VnApi> noUnit = CreateNoUnitApi();
    if (size >= box::LengthPrefixBytes) {
        uint32_t length = 0;
        box::DecodeLength(data, &length);
    }
    box::Frame frame;
    // Bodies as the box reads them (the prefix already taken).
    if (box::DecodeBody(data, size, &frame) != box::DecodeError::None)
        return 0;
    // A decoded frame encodes back to the same bytes.
    const std::vector<uint8_t> again = box::EncodeFrame(frame);
    if (again.size() != size + box::LengthPrefixBytes ||
        !std::equal(again.begin() + box::LengthPrefixBytes, again.end(), data))
        std::abort();
    box::ServiceSession session;
    box::Serve(*noUnit, frame, &session);
    return 0;
}
