// TLS under the HTTP client: a TEventSocket whose connection starts plain,
// so that a proxy can first be asked for a tunnel, and becomes TLS on
// StartEncryption. The server's certificate must chain to the system's
// certificate authorities (or to extra ones a caller names, as tests do) and
// name the host asked for; anything else fails the encryption.
//
// Same contract as TEventSocket: one HTTP client's, on its thread.
#pragma once

#include <QList>
#include <QSslCertificate>
#include <string>
#include <vector>

#include "update/event_socket.h"

namespace qv {

struct THttpTlsOptions {
    // Trusted besides the system's certificate authorities.
    QList<QSslCertificate> ExtraCaCertificates;
};

// The certificates of PEM files, for THttpTlsOptions. Raises std::runtime_error
// naming a file that cannot be read or holds no certificate.
QList<QSslCertificate> ReadCertificates(const std::vector<std::string>& pemFiles);

class TSslEventSocket : public TEventSocket {
  public:
    explicit TSslEventSocket(THttpTlsOptions options = {});

    int StartEncryption(const std::string& peerName) override;
    std::string EncryptionError() const override { return error_; }

  protected:
    QTcpSocket* CreateTransport() override;

  private:
    THttpTlsOptions options_;
    std::string error_;
};

// Makes a TSslEventSocket for "https" and a TEventSocket for anything else.
TSocketFactory SocketFactory(THttpTlsOptions options = {});

}  // namespace qv
