#include "update/event_socket.h"

#include <QHostInfo>
#include <QNetworkProxy>
#include <QTimer>
#include <utility>

#include "update/http_errors.h"

namespace qv {

int IEventSocket::StartEncryption(const std::string&) {
    return sockerr::kOperationNotSupported;
}

TEventSocket::TEventSocket() = default;

TEventSocket::~TEventSocket() {
    CancelLookup();
    if (socket_ != nullptr) {
        socket_->disconnect(this);
        socket_->abort();
        delete socket_;
    }
}

void TEventSocket::SetEvents(TSocketEvents events) {
    events_ = std::move(events);
}

void TEventSocket::Post(std::function<void()> event) {
    QTimer::singleShot(0, this, std::move(event));
}

void TEventSocket::StartLookup(const std::string& host) {
    CancelLookup();
    unsigned generation = lookupGeneration_;
    auto report = [this, generation](int error) {
        if (generation == lookupGeneration_ && events_.LookupDone) {
            events_.LookupDone(error);
        }
    };
    if (host.empty()) {
        Post([report] { report(sockerr::kInvalidArgument); });
        return;
    }
    QHostAddress literal;
    if (literal.setAddress(QString::fromStdString(host)) &&
        literal.protocol() == QAbstractSocket::IPv4Protocol) {
        lookupResult_ = literal;
        Post([report] { report(0); });
        return;
    }
    lookupId_ = QHostInfo::lookupHost(
        QString::fromStdString(host), this, [this, report](const QHostInfo& info) {
            lookupId_ = -1;
            const auto addresses = info.addresses();
            if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
                report(sockerr::kHostNotFound);
                return;
            }
            // Servers often listen on IPv4 only; take an IPv4 address when there is one.
            lookupResult_ = addresses.first();
            for (const QHostAddress& a : addresses) {
                if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                    lookupResult_ = a;
                    break;
                }
            }
            report(0);
        });
}

void TEventSocket::CancelLookup() {
    ++lookupGeneration_;
    if (lookupId_ != -1) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
}

std::string TEventSocket::LookupResult() const {
    return lookupResult_.toString().toStdString();
}

int TEventSocket::Connect(const std::string& address, const std::string& port) {
    if (socket_ != nullptr) {
        return sockerr::kInvalidArgument;
    }
    QHostAddress target;
    bool portOk = false;
    unsigned portNumber = QString::fromStdString(port).toUInt(&portOk);
    if (!target.setAddress(QString::fromStdString(address)) || !portOk || portNumber == 0 ||
        portNumber > 65535) {
        return sockerr::kInvalidArgument;
    }
    socket_ = CreateTransport();
    // The client talks to a proxy itself; the socket must never pick one.
    socket_->setProxy(QNetworkProxy::NoProxy);
    connecting_ = true;
    connect(socket_, &QTcpSocket::connected, this, &TEventSocket::OnTransportConnected);
    connect(socket_, &QTcpSocket::errorOccurred, this, &TEventSocket::OnTransportError);
    connect(socket_, &QTcpSocket::disconnected, this, &TEventSocket::OnTransportDisconnected);
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        if (events_.DataAvailable) {
            events_.DataAvailable();
        }
    });
    StartTransport(*socket_, target, static_cast<quint16>(portNumber));
    return 0;
}

QTcpSocket* TEventSocket::CreateTransport() {
    return new QTcpSocket(this);
}

void TEventSocket::StartTransport(QTcpSocket& socket, const QHostAddress& address, quint16 port) {
    socket.connectToHost(address, port);
}

void TEventSocket::OnTransportConnected() {
    connecting_ = false;
    if (events_.Connected) {
        events_.Connected(0);
    }
}

void TEventSocket::OnTransportError(QAbstractSocket::SocketError error) {
    if (encrypting_) {
        EncryptionDone(ErrorCode(error));
        return;
    }
    if (connecting_) {
        connecting_ = false;
        if (events_.Connected) {
            events_.Connected(ErrorCode(error));
        }
        return;
    }
    // A plain close by the peer also arrives as disconnected.
    if (error != QAbstractSocket::RemoteHostClosedError && socket_ != nullptr) {
        DrainAndRelease(ErrorCode(error));
    }
}

void TEventSocket::OnTransportDisconnected() {
    if (socket_ != nullptr) {
        DrainAndRelease(0);
    }
}

void TEventSocket::DrainAndRelease(int error) {
    // Data may still wait in the socket's buffer; hand it over before closing.
    while (socket_ != nullptr && socket_->bytesAvailable() > 0 && events_.DataAvailable) {
        qint64 before = socket_->bytesAvailable();
        events_.DataAvailable();
        if (socket_ != nullptr && socket_->bytesAvailable() == before) {
            break;
        }
    }
    if (socket_ != nullptr) {
        Release(error);
    }
}

void TEventSocket::EncryptionDone(int error) {
    if (!encrypting_) {
        return;
    }
    encrypting_ = false;
    if (events_.Encrypted) {
        events_.Encrypted(error);
    }
}

int TEventSocket::Send(const char* data, std::size_t len) {
    if (socket_ == nullptr || connecting_) {
        return sockerr::kNotConnected;
    }
    return socket_->write(data, static_cast<qint64>(len)) == static_cast<qint64>(len)
               ? 0
               : sockerr::kNoBufferSpace;
}

std::size_t TEventSocket::Receive(char* buffer, std::size_t max) {
    if (socket_ == nullptr) {
        return 0;
    }
    qint64 n = socket_->read(buffer, static_cast<qint64>(max));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void TEventSocket::Close() {
    if (socket_ != nullptr) {
        Release(0);
    }
}

void TEventSocket::Release(int error) {
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    connecting_ = false;
    encrypting_ = false;
    socket->disconnect(this);
    socket->disconnectFromHost();
    socket->deleteLater();
    Post([this, error] {
        if (events_.Closed) {
            events_.Closed(error);
        }
    });
}

bool TEventSocket::IsOpen() const {
    return socket_ != nullptr;
}

int TEventSocket::ErrorCode(QAbstractSocket::SocketError error) {
    static constexpr std::pair<QAbstractSocket::SocketError, int> kCodes[] = {
        {QAbstractSocket::ConnectionRefusedError, sockerr::kConnectionRefused},
        {QAbstractSocket::RemoteHostClosedError, sockerr::kConnectionReset},
        {QAbstractSocket::HostNotFoundError, sockerr::kHostNotFound},
        {QAbstractSocket::SocketAccessError, sockerr::kAccessDenied},
        {QAbstractSocket::SocketResourceError, sockerr::kTooManyFiles},
        {QAbstractSocket::SocketTimeoutError, sockerr::kTimedOut},
        {QAbstractSocket::NetworkError, sockerr::kNetworkUnreachable},
        {QAbstractSocket::AddressInUseError, sockerr::kAddressInUse},
        {QAbstractSocket::SocketAddressNotAvailableError, sockerr::kAddressNotAvailable},
        {QAbstractSocket::UnsupportedSocketOperationError, sockerr::kOperationNotSupported},
        {QAbstractSocket::TemporaryError, sockerr::kWouldBlock},
    };
    for (const auto& [qtError, code] : kCodes) {
        if (qtError == error) {
            return code;
        }
    }
    return sockerr::kConnectionAborted;
}

}  // namespace qv
