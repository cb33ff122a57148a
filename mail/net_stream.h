// The byte stream under the SMTP client, the connector that opens it and the
// TLS layer that wraps it. The client sees only these interfaces, so tests can
// put a scripted fake in their place.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace qv {

using TNetTimeout = std::chrono::milliseconds;

// Lets another thread end the network operations of one client: once
// Cancel() is called, every wait of the streams opened with this object, and
// every wait after it, raises ENetCancelled until Reset().
//
// Cancel() may be called from any thread at any time. Reset() must not run
// while an operation that uses the object is in progress; an owner calls it
// before handing the work to a thread.
class TNetCancel {
  public:
    TNetCancel();
    ~TNetCancel();
    TNetCancel(const TNetCancel&) = delete;
    TNetCancel& operator=(const TNetCancel&) = delete;

    void Cancel() noexcept;
    void Reset() noexcept;
    bool Cancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }

    // A descriptor that becomes readable on Cancel(), for poll() beside a
    // socket; -1 when none could be had, and waits then look at Cancelled()
    // at short intervals instead.
    int WaitHandle() const noexcept { return event_; }

  private:
    std::atomic<bool> cancelled_{false};
    int event_ = -1;
};

// What a negotiated TLS session offers, for the connection test.
struct TTlsInfo {
    std::string Version;             // e.g. "TLSv1.3"
    std::string Cipher;              // e.g. "TLS_AES_256_GCM_SHA384"
    std::string CertificateSubject;  // the server certificate's subject, RFC 2253 form
    std::string CertificateIssuer;
};

// One open, connected byte stream. Owned by the client that opened it; used
// from one thread at a time. Failures raise ENetSocketError with a Windows
// Sockets code (10060 when the time-out passes, 10054 when the peer has
// closed the connection), ENetCancelled when the operation was cancelled,
// and, from a TLS stream, ETlsError.
class INetStream {
  public:
    virtual ~INetStream() = default;

    // Hands all of data to the peer within timeout, or raises.
    virtual void Write(std::string_view data, TNetTimeout timeout) = 0;

    // Waits for at least one byte and stores up to into.size() bytes;
    // returns how many. Never returns 0.
    virtual std::size_t Read(std::span<char> into, TNetTimeout timeout) = 0;

    // Closes the stream; failures of the closing are ignored.
    virtual void Close() noexcept = 0;

    // The TLS session this stream runs over, or nullptr for plain text.
    virtual const TTlsInfo* Tls() const noexcept { return nullptr; }
};

struct TConnectOptions {
    // false turns the small-packet coalescing (Nagle's algorithm) off.
    bool UseNagle = true;
    TNetTimeout Timeout = std::chrono::seconds(30);
    // Consulted by the connection attempt and by every wait of the stream;
    // may be null.
    std::shared_ptr<TNetCancel> Cancel{};
};

struct TNetTlsOptions {
    // A PEM file of certificates trusted besides the system's store; empty
    // for the system's store alone.
    std::string CaFile{};
    // Bounds the negotiation.
    TNetTimeout Timeout = std::chrono::seconds(30);
};

// Opens streams to a host and port, and puts TLS over an open one. Raises
// ENetInvalidSocket when no socket can be had and ENetSocketError when the
// name cannot be resolved or the connection fails.
class INetConnector {
  public:
    virtual ~INetConnector() = default;
    virtual std::unique_ptr<INetStream> Open(const std::string& host, int port,
                                             const TConnectOptions& options) = 0;

    // Negotiates TLS as a client over plain, which the result owns from then
    // on, and checks the server's certificate against the trusted
    // certificates and host. On failure plain is closed; nothing but the
    // negotiation itself has been sent. Raises ETlsCertificateError,
    // ETlsCaFileError or ETlsError, and whatever plain raises.
    virtual std::unique_ptr<INetStream> StartTls(std::unique_ptr<INetStream> plain,
                                                 const std::string& host,
                                                 const TNetTlsOptions& options) = 0;
};

// Non-blocking IPv4 TCP through POSIX sockets, with every wait under poll()
// and bounded by its time-out. "LOCALHOST" in any letter case is 127.0.0.1, a
// dotted-decimal address is taken as it is, any other name is looked up and
// its first address used (the look-up itself cannot be cancelled). TLS
// through OpenSSL. Stateless; one instance may serve several clients.
class TPosixConnector : public INetConnector {
  public:
    std::unique_ptr<INetStream> Open(const std::string& host, int port,
                                     const TConnectOptions& options) override;
    std::unique_ptr<INetStream> StartTls(std::unique_ptr<INetStream> plain,
                                         const std::string& host,
                                         const TNetTlsOptions& options) override;
};

// The name the local machine reports for itself, for the greeting.
std::string LocalHostName();

}  // namespace qv
