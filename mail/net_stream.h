// The byte stream under the SMTP client and the connector that opens it.
// The client sees only these two interfaces, so a later TLS layer (STARTTLS)
// can wrap an open stream and tests can put a scripted fake in its place.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace qv {

using TNetTimeout = std::chrono::milliseconds;

// One open, connected byte stream. Owned by the client that opened it; used
// from one thread at a time. Failures raise ENetSocketError with a Windows
// Sockets code: 10060 when the time-out passes, 10054 when the peer has
// closed the connection.
class INetStream {
  public:
    virtual ~INetStream() = default;

    // Hands all of data to the peer, or raises.
    virtual void Write(std::string_view data, TNetTimeout timeout) = 0;

    // Waits for at least one byte and stores up to into.size() bytes;
    // returns how many. Never returns 0.
    virtual std::size_t Read(std::span<char> into, TNetTimeout timeout) = 0;

    // Closes the stream; failures of the closing are ignored.
    virtual void Close() noexcept = 0;
};

struct TConnectOptions {
    // false turns the small-packet coalescing (Nagle's algorithm) off.
    bool UseNagle = true;
    TNetTimeout Timeout = std::chrono::seconds(30);
};

// Opens streams to a host and port. Raises ENetInvalidSocket when no socket
// can be had and ENetSocketError when the name cannot be resolved or the
// connection fails.
class INetConnector {
  public:
    virtual ~INetConnector() = default;
    virtual std::unique_ptr<INetStream> Open(const std::string& host, int port,
                                             const TConnectOptions& options) = 0;
};

// Blocking IPv4 TCP through POSIX sockets. "LOCALHOST" in any letter case is
// 127.0.0.1, a dotted-decimal address is taken as it is, any other name is
// looked up and its first address used. Stateless; one instance may serve
// several clients.
class TPosixConnector : public INetConnector {
  public:
    std::unique_ptr<INetStream> Open(const std::string& host, int port,
                                     const TConnectOptions& options) override;
};

// The name the local machine reports for itself, for the greeting.
std::string LocalHostName();

}  // namespace qv
