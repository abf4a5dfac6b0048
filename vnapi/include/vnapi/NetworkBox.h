// The network box: serves one unit (any VnApi, normally a virtual unit) to
// one client at a time over TCP, with the protocol of vnapi/README-box.md.
// Other clients are refused with reply 11 while the unit is held. A client
// that sends a malformed frame, a length past the limit, stalls mid-frame or
// goes away is dropped; its unit is closed and the next client is served.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "vnapi/VnApi.h"

struct NetworkBoxOptions {
    std::string Listen = "127.0.0.1";
    uint16_t Port = 4000; // 0 picks a free port (see NetworkBox::Port)
    // A client silent this long between requests is dropped.
    double IdleSeconds = 1800.0;
    // A frame, once begun, and a reply must cross within this time.
    double FrameSeconds = 10.0;
    // SIGINT and SIGTERM stop the box.
    bool StopOnSignals = false;
    // One line per event, without the line feed; null logs nothing.
    std::function<void(const std::string&)> Log;
};

class NetworkBox {
public:
    NetworkBox(VnApi& unit, NetworkBoxOptions options);
    ~NetworkBox();
    NetworkBox(const NetworkBox&) = delete;
    NetworkBox& operator=(const NetworkBox&) = delete;

    // Binds and listens; false with the reason when it cannot.
    bool Start(std::string* error);
    uint16_t Port() const;
    // Serves on the calling thread until Stop; closes the unit a client held.
    void Run();
    // From any thread: drops every connection and ends Run.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> P;
};
