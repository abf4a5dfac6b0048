// The library's end of one connection to the network box: a blocking
// request/reply exchange with a deadline, over Asio.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "box/BoxProtocol.h"

namespace box {

enum class ConnectOutcome {
    Connected,
    NoAnswer, // nothing answers at the address, or it is not a box
    Busy,     // the box serves another client
};

class BoxConnection {
public:
    ~BoxConnection();

    // Resolves host with the system resolver, connects and says hello. A
    // first connection gets its session's token; a connection that gives a
    // token joins that session beside the first (for a call made while
    // another one waits on the box).
    static ConnectOutcome Connect(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                                  uint32_t joinToken, std::unique_ptr<BoxConnection>* connection,
                                  uint32_t* sessionToken = nullptr);

    // Sends a request and waits for its reply. False when the connection
    // broke, the reply is malformed or the deadline passed; the connection
    // is closed then.
    bool Exchange(Frame request, Frame* reply, std::chrono::milliseconds timeout);

private:
    struct State;
    explicit BoxConnection(std::unique_ptr<State> state);
    std::unique_ptr<State> S;
};

} // namespace box
