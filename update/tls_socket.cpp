#include "update/tls_socket.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>
#include <stdexcept>

#include "update/http_errors.h"

namespace qv {

QList<QSslCertificate> ReadCertificates(const std::vector<std::string>& pemFiles) {
    QList<QSslCertificate> certificates;
    for (const std::string& file : pemFiles) {
        const QList<QSslCertificate> read = QSslCertificate::fromPath(
            QString::fromStdString(file), QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (read.isEmpty()) {
            throw std::runtime_error("No certificate in " + file);
        }
        certificates += read;
    }
    return certificates;
}

TSslEventSocket::TSslEventSocket(THttpTlsOptions options) : options_(std::move(options)) {}

QTcpSocket* TSslEventSocket::CreateTransport() {
    auto* socket = new QSslSocket(this);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!options_.ExtraCaCertificates.isEmpty()) {
        configuration.addCaCertificates(options_.ExtraCaCertificates);
    }
    socket->setSslConfiguration(configuration);
    connect(socket, &QSslSocket::encrypted, this, [this] { EncryptionDone(0); });
    // Both come before the base class hears of the failure.
    connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
        QStringList texts;
        for (const QSslError& e : errors) {
            texts.append(e.errorString());
        }
        error_ = texts.join("; ").toStdString();
    });
    connect(socket, &QSslSocket::errorOccurred, this, [this, socket] {
        if (error_.empty()) {
            error_ = socket->errorString().toStdString();
        }
    });
    return socket;
}

int TSslEventSocket::StartEncryption(const std::string& peerName) {
    auto* socket = qobject_cast<QSslSocket*>(Transport());
    if (socket == nullptr) {
        return sockerr::kNotConnected;
    }
    if (!QSslSocket::supportsSsl()) {
        error_ = "TLS is not available on this system";
        return sockerr::kOperationNotSupported;
    }
    error_.clear();
    socket->setPeerVerifyName(QString::fromStdString(peerName));
    BeginEncryption();
    socket->startClientEncryption();
    return 0;
}

TSocketFactory SocketFactory(THttpTlsOptions options) {
    return
        [options = std::move(options)](const std::string& scheme) -> std::unique_ptr<IEventSocket> {
            if (scheme == "https") {
                return std::make_unique<TSslEventSocket>(options);
            }
            return std::make_unique<TEventSocket>();
        };
}

}  // namespace qv
