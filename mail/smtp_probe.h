// The connection settings' "Test Connection": one session that connects,
// negotiates and logs in as a send would, reports what the server offered and
// ends without sending anything.
#pragma once

#include <string>

#include "mail/smtp_client.h"

namespace qv {

struct TSmtpProbeResult {
    std::string Greeting;   // the server's 220 line
    bool Extended = false;  // EHLO was answered (false: the session used Helo)
    TStringList Extensions;
    bool Encrypted = false;
    TTlsInfo Tls;               // when Encrypted
    std::string AuthMechanism;  // "PLAIN" or "LOGIN"; empty without a password
};

// Connects smtp, which the caller has set up (SetAccount) and owns, collects
// what the session found and disconnects. Raises what Connect raises; another
// thread ends it with smtp.Cancel() (ENetCancelled). smtp must not be
// connected.
TSmtpProbeResult ProbeSmtpServer(TSmtpClient& smtp);

// The result as lines for a message box: the greeting, the protection
// ("TLSv1.3, TLS_AES_256_GCM_SHA384" or "none"), the certificate's subject
// and issuer, the login and the extensions, each line ending in CR LF.
std::string DescribeProbeResult(const TSmtpProbeResult& result);

}  // namespace qv
