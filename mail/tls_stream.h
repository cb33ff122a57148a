// TLS over an open stream, through OpenSSL.
#pragma once

#include <memory>
#include <string>

#include "mail/net_stream.h"

namespace qv {

// Negotiates TLS 1.2 or later as a client over plain and returns the stream
// that encrypts into it; the result owns plain. The server's certificate must
// chain to the system's trust store or to options.CaFile, and be made out to
// host (a name, or an IPv4 or IPv6 address). Bytes move only through plain's
// Read and Write, so its time-outs and cancelling apply unchanged.
//
// Raises ETlsCertificateError when the certificate is refused, ETlsCaFileError
// when options.CaFile cannot be loaded, ETlsError for any other failure of the
// negotiation, and whatever plain raises. On failure plain is closed.
std::unique_ptr<INetStream> NegotiateTls(std::unique_ptr<INetStream> plain,
                                         const std::string& host, const TNetTlsOptions& options);

}  // namespace qv
