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

    // Resolves host with the system resolver, connects and says hello.
    static ConnectOutcome Connect(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                                  std::unique_ptr<BoxConnection>* connection);

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
