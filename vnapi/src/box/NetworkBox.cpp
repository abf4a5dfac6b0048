#include "vnapi/NetworkBox.h"

#include <algorithm>
#include <asio.hpp>
#include <csignal>
#include <optional>
#include <random>

#include "box/BoxProtocol.h"
#include "box/BoxService.h"

using asio::ip::tcp;
using box::DecodeError;
using box::Frame;

namespace {

std::chrono::milliseconds Millis(double seconds) { return std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000)); }

} // namespace

struct NetworkBox::Impl {
    struct Session;

    Impl(VnApi& unit, NetworkBoxOptions options) : Unit(unit), Options(std::move(options)) {}

    VnApi& Unit;
    NetworkBoxOptions Options;
    asio::io_context Io;
    tcp::acceptor Acceptor{Io};
    std::optional<asio::signal_set> Signals;
    // The unit's work runs here, so that the network stays awake: a session's
    // requests one after the other, a joined connection's beside them.
    asio::thread_pool Worker{2};
    bool WorkerJoined = false;
    std::shared_ptr<Session> Holder; // the client whose unit this is
    std::vector<std::weak_ptr<Session>> Sessions;
    std::mt19937 Random{std::random_device{}()};

    void Log(const std::string& line)
    {
        if (Options.Log)
            Options.Log(line);
    }
    void Accept();
};

struct NetworkBox::Impl::Session : std::enable_shared_from_this<Session> {
    Session(Impl& box, tcp::socket socket, bool refuse)
        : Box(box), Socket(std::move(socket)), Timer(box.Io), Refuse(refuse)
    {
        std::error_code ec;
        const auto remote = Socket.remote_endpoint(ec);
        Peer = ec ? std::string("?") : remote.address().to_string() + ":" + std::to_string(remote.port());
    }

    Impl& Box;
    tcp::socket Socket;
    asio::steady_timer Timer;
    bool Refuse = false;
    bool Greeted = false;
    bool Closed = false;
    bool UsedUnit = false; // a request went to the unit
    bool InFlight = false; // a request is with the unit now
    bool CleanupPending = false;
    uint32_t Token = 0; // names the session to connections that join it
    bool Leaving = false; // its unit closed, the connection ends after the reply
    uint32_t Requests = 0;
    std::string Peer;
    uint8_t Prefix[box::LengthPrefixBytes] = {};
    std::vector<uint8_t> Body;
    std::vector<uint8_t> Out;
    box::ServiceSession Service;

    void Arm(std::chrono::milliseconds after, const char* reason)
    {
        Timer.expires_after(after);
        Timer.async_wait([self = shared_from_this(), reason](const std::error_code& ec) {
            if (!ec)
                self->Drop(reason);
        });
    }

    void ReadPrefix()
    {
        Arm(Millis(Greeted ? Box.Options.IdleSeconds : Box.Options.FrameSeconds), "silent too long");
        asio::async_read(Socket, asio::buffer(Prefix),
                         [self = shared_from_this()](const std::error_code& ec, size_t) { self->OnPrefix(ec); });
    }

    void OnPrefix(const std::error_code& ec)
    {
        if (Closed)
            return;
        if (ec) {
            End(ec == asio::error::eof ? "closed by the client" : "connection lost");
            return;
        }
        uint32_t length = 0;
        if (const DecodeError e = box::DecodeLength(Prefix, &length); e != DecodeError::None) {
            Drop(std::string(box::DecodeErrorText(e)));
            return;
        }
        Body.resize(length);
        Arm(Millis(Box.Options.FrameSeconds), "too slow");
        asio::async_read(Socket, asio::buffer(Body),
                         [self = shared_from_this()](const std::error_code& e, size_t) { self->OnBody(e); });
    }

    void OnBody(const std::error_code& ec)
    {
        if (Closed)
            return;
        if (ec) {
            Drop("gone mid-frame");
            return;
        }
        Timer.cancel();
        Frame request;
        const DecodeError e = box::DecodeBody(Body.data(), Body.size(), &request);
        if (e != DecodeError::None || request.Kind != box::FrameKind::Request) {
            Drop(e != DecodeError::None ? std::string(box::DecodeErrorText(e)) : "not a request");
            return;
        }
        const bool hello = request.Operation == static_cast<uint16_t>(box::Op::Hello);
        if (hello == Greeted) {
            Drop(hello ? "second hello" : "no hello");
            return;
        }
        ++Requests;
        if (hello) {
            Greeted = true;
            box::ValueReader r(request.Values);
            const uint32_t join = request.Values.empty() ? 0 : r.U32();
            if (!r.Ok()) {
                Drop("malformed hello");
                return;
            }
            // A connection of the holder's own session is let in beside it.
            if (Refuse && join != 0 && Box.Holder && !Box.Holder->Closed && join == Box.Holder->Token) {
                Refuse = false;
                Box.Log("client " + Peer + " joins the session of " + Box.Holder->Peer);
            }
            Frame reply;
            reply.Kind = box::FrameKind::Reply;
            reply.Operation = request.Operation;
            reply.Sequence = request.Sequence;
            reply.Code = Refuse ? VnReplyNetBusy : VnReplyOk;
            if (!Refuse)
                reply.Values.push_back(box::U32(Token));
            Send(reply);
            return;
        }
        // The unit's work leaves the network thread; its reply comes back to it.
        UsedUnit = true;
        InFlight = true;
        asio::post(Box.Worker, [self = shared_from_this(), request = std::move(request)] {
            std::optional<Frame> reply = box::Serve(self->Box.Unit, request, &self->Service);
            asio::post(self->Box.Io, [self, reply = std::move(reply)] {
                self->InFlight = false;
                if (self->Closed) {
                    if (self->CleanupPending)
                        self->CloseUnit();
                    return;
                }
                if (!reply) {
                    self->Drop("malformed arguments");
                    return;
                }
                // A client that closed its unit is done: the box is free at once.
                if (reply->Operation == static_cast<uint16_t>(box::Op::Disconnect)) {
                    self->Leaving = true;
                    if (!self->Service.OpenHandle && self->Box.Holder == self)
                        self->Box.Holder.reset();
                }
                self->Send(*reply);
            });
        });
    }

    void Send(const Frame& reply)
    {
        Out = box::EncodeFrame(reply);
        Arm(Millis(Box.Options.FrameSeconds), "too slow to take its reply");
        asio::async_write(Socket, asio::buffer(Out), [self = shared_from_this()](const std::error_code& ec, size_t) {
            if (self->Closed)
                return;
            self->Timer.cancel();
            if (ec)
                self->Drop("gone before its reply");
            else if (self->Refuse)
                self->End("refused: the unit is held by another client");
            else if (self->Leaving)
                self->End("closed its unit");
            else
                self->ReadPrefix();
        });
    }

    void Drop(const std::string& reason) { End("dropped: " + reason); }

    // Closes the connection and, on the worker after any running work, the
    // unit the client held; only then is the box free for the next client.
    void End(const std::string& reason)
    {
        if (Closed)
            return;
        Closed = true;
        Box.Log("client " + Peer + " " + reason + " after " + std::to_string(Requests) + " requests");
        std::error_code ignored;
        Timer.cancel();
        Socket.shutdown(tcp::socket::shutdown_both, ignored);
        Socket.close(ignored);
        if (Refuse)
            return;
        if (!UsedUnit) { // nothing to close: the next client may come at once
            if (Box.Holder.get() == this)
                Box.Holder.reset();
            return;
        }
        if (InFlight)
            CleanupPending = true; // after the running request, which uses the same session
        else
            CloseUnit();
    }

    void CloseUnit()
    {
        asio::post(Box.Worker, [self = shared_from_this()] {
            if (self->Service.OpenHandle)
                self->Box.Unit.VnDisconnect(*self->Service.OpenHandle, nullptr);
            self->Service.OpenHandle.reset();
            asio::post(self->Box.Io, [self] {
                if (self->Box.Holder == self)
                    self->Box.Holder.reset();
            });
        });
    }
};

void NetworkBox::Impl::Accept()
{
    Acceptor.async_accept([this](const std::error_code& ec, tcp::socket socket) {
        if (ec)
            return; // the acceptor was closed
        std::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        const bool refuse = Holder != nullptr;
        auto session = std::make_shared<Session>(*this, std::move(socket), refuse);
        session->Token = static_cast<uint32_t>(Random()) | 1u;
        Log("client " + session->Peer + (refuse ? " connected while the unit is held" : " connected"));
        if (!refuse)
            Holder = session;
        Sessions.erase(std::remove_if(Sessions.begin(), Sessions.end(), [](auto& w) { return w.expired(); }),
                       Sessions.end());
        Sessions.push_back(session);
        session->ReadPrefix();
        Accept();
    });
}

NetworkBox::NetworkBox(VnApi& unit, NetworkBoxOptions options) : P(std::make_unique<Impl>(unit, std::move(options))) {}

NetworkBox::~NetworkBox()
{
    Stop();
    if (!P->WorkerJoined)
        P->Worker.join();
}

bool NetworkBox::Start(std::string* error)
{
    std::error_code ec;
    const auto address = asio::ip::make_address(P->Options.Listen, ec);
    if (ec) {
        *error = "not an address: " + P->Options.Listen;
        return false;
    }
    const tcp::endpoint endpoint(address, P->Options.Port);
    P->Acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        P->Acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec)
        P->Acceptor.bind(endpoint, ec);
    if (!ec)
        P->Acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        *error = ec.message();
        return false;
    }
    if (P->Options.StopOnSignals) {
        P->Signals.emplace(P->Io, SIGINT, SIGTERM);
        P->Signals->async_wait([this](const std::error_code& e, int signal) {
            if (!e) {
                P->Log("signal " + std::to_string(signal) + ": stopping");
                Stop();
            }
        });
    }
    P->Accept();
    return true;
}

uint16_t NetworkBox::Port() const
{
    std::error_code ec;
    const auto endpoint = P->Acceptor.local_endpoint(ec);
    return ec ? 0 : endpoint.port();
}

void NetworkBox::Run()
{
    P->Io.run();
    // Whatever unit a client still holds is closed, so its memory is kept.
    P->Worker.wait();
    P->WorkerJoined = true;
    for (auto& weak : P->Sessions)
        if (auto s = weak.lock(); s && s->Service.OpenHandle)
            P->Unit.VnDisconnect(*s->Service.OpenHandle, nullptr);
}

void NetworkBox::Stop()
{
    asio::post(P->Io, [impl = P.get()] {
        std::error_code ignored;
        impl->Acceptor.close(ignored);
        if (impl->Signals)
            impl->Signals->cancel(ignored);
        for (auto& weak : impl->Sessions)
            if (auto s = weak.lock()) {
                s->Timer.cancel();
                s->Socket.close(ignored);
            }
        impl->Io.stop();
    });
}
