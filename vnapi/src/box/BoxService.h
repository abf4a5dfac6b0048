// The box's side of each operation: decode a request's arguments, run the
// operation on the unit the box hosts, encode the reply. No sockets: the
// server feeds it frames, tests may feed it directly.
#pragma once

#include <cstdint>
#include <optional>

#include "box/BoxProtocol.h"
#include "vnapi/VnApi.h"

namespace box {

// The largest out-buffer the box allocates for one caller-sized read.
constexpr uint32_t MaxOutBuffer = 16u << 20;

struct ServiceSession {
    std::optional<uint16_t> OpenHandle; // the unit handle the client holds
};

// The reply to a request, or nothing when its arguments are malformed (the
// caller drops such a client). Open always opens the box's own unit over USB.
std::optional<Frame> Serve(VnApi& unit, const Frame& request, ServiceSession* session);

} // namespace box
