#include "box/BoxConnection.h"

#include <asio.hpp>

#include "vnapi/VnCodes.h"

namespace box {

using Clock = std::chrono::steady_clock;

struct BoxConnection::State {
    asio::io_context Io;
    asio::ip::tcp::socket Socket{Io};
    uint32_t NextSequence = 1;
    bool Closed = false;

    void Close()
    {
        std::error_code ignored;
        Socket.close(ignored);
        Closed = true;
    }

    // Runs one asynchronous operation to its end or to the deadline; on the
    // deadline the socket is closed and the aborted operation drained.
    template <class Start> bool Await(Clock::time_point deadline, Start&& start)
    {
        if (Closed)
            return false;
        bool done = false;
        std::error_code result;
        start([&](const std::error_code& ec, auto&&...) {
            done = true;
            result = ec;
        });
        Io.restart();
        const auto now = Clock::now();
        Io.run_for(deadline > now ? deadline - now : Clock::duration::zero());
        if (!done) {
            Close();
            Io.restart();
            Io.run();
            return false;
        }
        if (result) {
            Close();
            return false;
        }
        return true;
    }
};

BoxConnection::BoxConnection(std::unique_ptr<State> state) : S(std::move(state)) {}
BoxConnection::~BoxConnection() = default;

ConnectOutcome BoxConnection::Connect(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                                      uint32_t joinToken, std::unique_ptr<BoxConnection>* connection,
                                      uint32_t* sessionToken)
{
    auto state = std::make_unique<State>();
    const auto deadline = Clock::now() + timeout;
    std::error_code ec;
    asio::ip::tcp::resolver resolver(state->Io);
    const auto endpoints = resolver.resolve(host, std::to_string(port), asio::ip::resolver_base::numeric_service, ec);
    if (ec || endpoints.empty())
        return ConnectOutcome::NoAnswer;
    if (!state->Await(deadline, [&](auto handler) { asio::async_connect(state->Socket, endpoints, handler); }))
        return ConnectOutcome::NoAnswer;
    state->Socket.set_option(asio::ip::tcp::no_delay(true), ec);
    std::unique_ptr<BoxConnection> c(new BoxConnection(std::move(state)));
    Frame hello;
    hello.Operation = static_cast<uint16_t>(Op::Hello);
    if (joinToken)
        hello.Values.push_back(U32(joinToken));
    Frame reply;
    if (!c->Exchange(hello, &reply, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())))
        return ConnectOutcome::NoAnswer;
    if (reply.Code == VnReplyNetBusy)
        return ConnectOutcome::Busy;
    if (reply.Code != 0)
        return ConnectOutcome::NoAnswer;
    ValueReader r(reply.Values);
    const uint32_t token = r.U32();
    if (!r.Ok())
        return ConnectOutcome::NoAnswer;
    if (sessionToken)
        *sessionToken = token;
    *connection = std::move(c);
    return ConnectOutcome::Connected;
}

bool BoxConnection::Exchange(Frame request, Frame* reply, std::chrono::milliseconds timeout)
{
    State& s = *S;
    const auto deadline = Clock::now() + timeout;
    request.Kind = FrameKind::Request;
    request.Sequence = s.NextSequence++;
    const std::vector<uint8_t> bytes = EncodeFrame(request);
    if (!s.Await(deadline, [&](auto handler) { asio::async_write(s.Socket, asio::buffer(bytes), handler); }))
        return false;
    uint8_t prefix[LengthPrefixBytes];
    if (!s.Await(deadline, [&](auto handler) { asio::async_read(s.Socket, asio::buffer(prefix), handler); }))
        return false;
    uint32_t length = 0;
    if (DecodeLength(prefix, &length) != DecodeError::None) {
        s.Close();
        return false;
    }
    std::vector<uint8_t> body(length);
    if (!s.Await(deadline, [&](auto handler) { asio::async_read(s.Socket, asio::buffer(body), handler); }))
        return false;
    Frame received;
    if (DecodeBody(body.data(), body.size(), &received) != DecodeError::None || received.Kind != FrameKind::Reply ||
        received.Sequence != request.Sequence || received.Operation != request.Operation) {
        s.Close();
        return false;
    }
    *reply = std::move(received);
    return true;
}

} // namespace box
