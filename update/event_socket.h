// The event-driven socket under the HTTP client.
//
// IEventSocket is the seam between the client and the network: the client
// starts operations and reacts to the four events; nothing blocks. Every event
// is delivered from the thread's event loop (never from inside the call that
// caused it), so a handler may call back into the socket freely.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace qv {

// Event handlers; each receives a socket error code (0 for success).
struct TSocketEvents {
    std::function<void(int error)> LookupDone;
    std::function<void(int error)> Connected;
    std::function<void()> DataAvailable;
    std::function<void(int error)> Closed;
    // The outcome of StartEncryption.
    std::function<void(int error)> Encrypted;
};

class IEventSocket {
  public:
    virtual ~IEventSocket() = default;

    // Replaces the handlers; empty handlers are not called.
    virtual void SetEvents(TSocketEvents events) = 0;
    // Starts the lookup of a host name; LookupDone reports the result. A
    // dotted IPv4 address needs no lookup, an empty name fails with 10022.
    virtual void StartLookup(const std::string& host) = 0;
    // Cancels a pending lookup: LookupDone will not come.
    virtual void CancelLookup() = 0;
    // The address found by the last successful lookup, as text.
    virtual std::string LookupResult() const = 0;
    // Starts a TCP connection to a dotted address and a decimal port text.
    // Returns 0, or the error code when the attempt fails at once; otherwise
    // Connected reports the outcome.
    virtual int Connect(const std::string& address, const std::string& port) = 0;
    // Queues a block for sending; returns 0 or an error code.
    virtual int Send(const char* data, std::size_t len) = 0;
    // Copies up to max bytes of what has arrived; 0 when nothing is waiting.
    virtual std::size_t Receive(char* buffer, std::size_t max) = 0;
    // Shuts down sending, releases the connection and reports Closed exactly
    // once, also when the owner closes. Closing a closed socket does nothing.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Turns the open connection into TLS, checking the server's certificate
    // for `peerName`; Encrypted reports the outcome. Returns 0, or an error
    // code at once when this socket cannot encrypt (a plain socket never can).
    virtual int StartEncryption(const std::string& peerName);
    // Why the last encryption failed, in words; empty when nothing failed.
    virtual std::string EncryptionError() const { return {}; }
};

// Makes the socket for a request; the scheme ("http", later "https") lets an
// encrypted socket take the place of the plain one.
using TSocketFactory = std::function<std::unique_ptr<IEventSocket>(const std::string& scheme)>;

// IEventSocket over Qt Network, driven by the thread's event loop. Owned by
// one HTTP client and used from the thread that created it. An encrypted
// variant overrides CreateTransport and StartTransport (a QSslSocket is a
// QTcpSocket); everything else stays the same.
class TEventSocket : public QObject, public IEventSocket {
  public:
    TEventSocket();
    ~TEventSocket() override;

    void SetEvents(TSocketEvents events) override;
    void StartLookup(const std::string& host) override;
    void CancelLookup() override;
    std::string LookupResult() const override;
    int Connect(const std::string& address, const std::string& port) override;
    int Send(const char* data, std::size_t len) override;
    std::size_t Receive(char* buffer, std::size_t max) override;
    void Close() override;
    bool IsOpen() const override;

    // The classic socket error code for a Qt socket error.
    static int ErrorCode(QAbstractSocket::SocketError error);

  protected:
    virtual QTcpSocket* CreateTransport();
    virtual void StartTransport(QTcpSocket& socket, const QHostAddress& address, quint16 port);
    // The connection of the request, or null once closed.
    QTcpSocket* Transport() const { return socket_; }
    // For an encrypting variant: from BeginEncryption on, a transport error
    // ends the encryption (EncryptionDone with its code) instead of the
    // connection; EncryptionDone reports Encrypted.
    void BeginEncryption() { encrypting_ = true; }
    void EncryptionDone(int error);

  private:
    void Post(std::function<void()> event);
    void OnTransportConnected();
    void OnTransportError(QAbstractSocket::SocketError error);
    void OnTransportDisconnected();
    void DrainAndRelease(int error);
    void Release(int error);

    TSocketEvents events_;
    QTcpSocket* socket_ = nullptr;
    bool connecting_ = false;
    bool encrypting_ = false;
    int lookupId_ = -1;
    // Bumped by CancelLookup so that a lookup result already on its way is dropped.
    unsigned lookupGeneration_ = 0;
    QHostAddress lookupResult_;
};

}  // namespace qv
