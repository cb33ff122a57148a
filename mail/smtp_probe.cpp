#include "mail/smtp_probe.h"

#include <exception>

namespace qv {

TSmtpProbeResult ProbeSmtpServer(TSmtpClient& smtp) {
    smtp.Connect();
    TSmtpProbeResult result;
    result.Greeting = smtp.Greeting();
    result.Extended = smtp.Extended();
    result.Extensions = smtp.Extensions();
    if (const TTlsInfo* tls = smtp.TlsInfo()) {
        result.Encrypted = true;
        result.Tls = *tls;
    }
    result.AuthMechanism = smtp.AuthMechanism();
    try {
        smtp.Disconnect();
    } catch (const std::exception&) {
        // The test found what it came for; a failed farewell changes nothing.
    }
    return result;
}

std::string DescribeProbeResult(const TSmtpProbeResult& result) {
    std::string text = "Server: " + result.Greeting + "\r\n";
    if (result.Encrypted) {
        text += "Encryption: " + result.Tls.Version + ", " + result.Tls.Cipher + "\r\n";
        text += "Certificate: " + result.Tls.CertificateSubject + "\r\n";
        text += "Issued by: " + result.Tls.CertificateIssuer + "\r\n";
    } else {
        text += "Encryption: none\r\n";
    }
    text += "Login: " + (result.AuthMechanism.empty() ? std::string("none")
                                                      : "AUTH " + result.AuthMechanism) +
            "\r\n";
    if (!result.Extended) {
        text += "Extensions: none (the server was greeted with Helo)\r\n";
    } else if (result.Extensions.empty()) {
        text += "Extensions: none\r\n";
    } else {
        text += "Extensions:\r\n";
        for (const std::string& extension : result.Extensions) {
            text += "    " + extension + "\r\n";
        }
    }
    return text;
}

}  // namespace qv
