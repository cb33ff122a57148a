// Secured and authenticated sessions with a real SMTP server (aiosmtpd on
// loopback, certificates made by openssl for each run).
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "mail/delivery.h"
#include "mail/net_errors.h"
#include "mail/smtp_client.h"
#include "mail/smtp_probe.h"
#include "support/smtp_test_server.h"

namespace qv {
namespace {

using test::SmtpTestServer;
using test::TestCertificate;

class SmtpTlsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = new TTempFolder;
        local = new TestCertificate(folder->Path(), "localhost", "DNS:localhost,IP:127.0.0.1");
        other = new TestCertificate(folder->Path(), "other.example", "DNS:other.example");
    }
    static void TearDownTestSuite() {
        delete other;
        delete local;
        delete folder;
    }

    void SetUp() override { ASSERT_TRUE(local->Made && other->Made) << "openssl made no certificate"; }

    // A server with TLS in mode ("--starttls", "--implicit-tls" or "" for
    // none) on certificate, requiring a login as jo with "secret".
    static std::unique_ptr<SmtpTestServer> Serve(const std::string& mode,
                                                 const TestCertificate& certificate,
                                                 std::vector<std::string> more = {}) {
        std::vector<std::string> options = {"--auth", "jo:secret"};
        if (!mode.empty()) {
            options.insert(options.end(),
                           {mode, "--cert", certificate.Cert, "--key", certificate.Key});
        }
        options.insert(options.end(), more.begin(), more.end());
        return std::make_unique<SmtpTestServer>(std::vector<std::string>{}, options);
    }

    static TSmtpAccount Account(const SmtpTestServer& server, TSmtpSecurity security,
                                const std::string& password = "secret") {
        return {.Host = "127.0.0.1",
                .Port = server.Port(),
                .Security = security,
                .User = "jo",
                .Password = password,
                .CaFile = local->Cert};
    }

    static TSendRequest Request(const std::string& to) {
        return {.From = "jo@home.example", .To = to, .Subject = "Roads", .MessageText = "Fix them."};
    }

    static inline TTempFolder* folder = nullptr;
    static inline TestCertificate* local = nullptr;
    static inline TestCertificate* other = nullptr;
};

TEST_F(SmtpTlsTest, DeliveryAndRefusalsForEachWayOfSecuring) {
    const std::string host = LocalHostName();
    struct Row {
        const char* name;
        std::string mode;
        std::vector<std::string> serverOptions;
        TSmtpSecurity security;
        std::string password;
        std::optional<std::string> caFile;  // replaces the trusted localhost certificate
        bool otherCertificate;              // the server shows the other.example one
        std::string failure;                // "Class: message"; empty for delivery
        std::string logins;                 // the server's login log
        std::string wire;                   // when set, all the server read
    };
    const Row rows[] = {
        {"STARTTLS and AUTH PLAIN", "--starttls", {"--exclude-auth", "LOGIN"},
         TSmtpSecurity::StartTlsRequired, "secret", std::nullopt, false, "", "PLAIN jo ok\n", ""},
        {"STARTTLS and AUTH LOGIN", "--starttls", {"--exclude-auth", "PLAIN"},
         TSmtpSecurity::StartTlsIfOffered, "secret", std::nullopt, false, "", "LOGIN jo ok\n", ""},
        {"TLS from the start", "--implicit-tls", {}, TSmtpSecurity::Tls, "secret", std::nullopt,
         false, "", "PLAIN jo ok\n", ""},
        {"wrong password", "--starttls", {}, TSmtpSecurity::StartTlsRequired, "guess",
         std::nullopt, false,
         "ESmtpAuthRefused: 535 5.7.8 Authentication credentials invalid", "PLAIN jo refused\n",
         ""},
        {"trusted certificate for another host name", "--starttls", {},
         TSmtpSecurity::StartTlsRequired, "secret", other->Cert, true,
         "ETlsCertificateError: The certificate of 127.0.0.1 was not accepted: IP address "
         "mismatch.",
         "", "EHLO " + host + "\r\nSTARTTLS\r\n"},
        {"certificate the system does not trust", "--implicit-tls", {}, TSmtpSecurity::Tls,
         "secret", "", false,
         "ETlsCertificateError: The certificate of 127.0.0.1 was not accepted: self-signed "
         "certificate.",
         "", ""},
        {"STARTTLS required, server without it", "", {}, TSmtpSecurity::StartTlsRequired,
         "secret", std::nullopt, false,
         "ESmtpStartTlsMissing: The SMTP server does not offer STARTTLS, which the connection "
         "settings require. Nothing was sent.",
         "", "EHLO " + host + "\r\nQuit\r\n"},
        {"STARTTLS when offered, server without it, password kept", "", {},
         TSmtpSecurity::StartTlsIfOffered, "secret", std::nullopt, false,
         "ESmtpAuthNeedsTls: The SMTP server does not offer encryption, so the password was not "
         "sent. Choose no security in the connection settings to send it unencrypted.",
         "", "EHLO " + host + "\r\nQuit\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto server = Serve(row.mode, row.otherCertificate ? *other : *local, row.serverOptions);
        ASSERT_GT(server->Port(), 0);
        TSmtpAccount account = Account(*server, row.security, row.password);
        if (row.caFile) {
            account.CaFile = *row.caFile;
        }
        TSmtpClient smtp;
        smtp.SetAccount(account);
        TMailMessage msg;
        std::string failure;
        try {
            DeliverMessage(smtp, msg, Request("<a@house.example>"), nullptr);
            smtp.Disconnect();
        } catch (const std::exception& e) {
            failure = ExceptionClassName(e) + ": " + e.what();
        }
        EXPECT_EQ(failure, row.failure);
        EXPECT_EQ(server->Has(1), row.failure.empty());
        if (row.failure.empty()) {
            EXPECT_EQ(server->Lines(1, "login"), std::vector<std::string>{"login jo"});
            EXPECT_EQ(server->Part(1, 1), "Fix them.\r\n");
        }
        EXPECT_EQ(server->Logins(), row.logins);
        if (!row.wire.empty()) {
            EXPECT_EQ(server->Wire(), row.wire);
        }
    }
}

TEST_F(SmtpTlsTest, TwoHundredFiftyRecipientsAtNinetyNineThroughStartTls) {
    auto server = Serve("--starttls", *local, {"--pipelining"});
    ASSERT_GT(server->Port(), 0);
    TSmtpClient smtp;
    smtp.SetAccount(Account(*server, TSmtpSecurity::StartTlsRequired));
    std::string to;
    for (int i = 0; i < 250; ++i) {
        to += (i ? ";<r" : "<r") + std::to_string(i) + "@house.example>";
    }
    TMailMessage msg;
    TDeliveryResult result = DeliverMessage(smtp, msg, Request(to), nullptr);
    EXPECT_EQ(result.Transactions, 3u);
    const std::size_t sizes[] = {99, 99, 52};
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(server->Has(n));
        EXPECT_EQ(server->Lines(n, "rcpt").size(), sizes[n - 1]);
        EXPECT_EQ(server->Lines(n, "login"), std::vector<std::string>{"login jo"});
    }
    EXPECT_EQ(server->Lines(3, "rcpt").back(), "rcpt r249@house.example");
    EXPECT_EQ(server->Logins(), "PLAIN jo ok\n");
}

TEST_F(SmtpTlsTest, ConnectionTestReportsWhatTheServerOffered) {
    auto server = Serve("--starttls", *local, {"--pipelining"});
    ASSERT_GT(server->Port(), 0);
    TSmtpClient smtp;
    smtp.SetAccount(Account(*server, TSmtpSecurity::StartTlsRequired));
    TSmtpProbeResult result = ProbeSmtpServer(smtp);
    EXPECT_FALSE(smtp.Connected());
    EXPECT_TRUE(result.Greeting.starts_with("220 test.invalid")) << result.Greeting;
    EXPECT_TRUE(result.Encrypted);
    EXPECT_TRUE(result.Tls.Version == "TLSv1.3" || result.Tls.Version == "TLSv1.2")
        << result.Tls.Version;
    EXPECT_EQ(result.Tls.CertificateSubject, "CN=localhost");
    EXPECT_EQ(result.AuthMechanism, "PLAIN");
    // Offered after STARTTLS: no second STARTTLS, but AUTH.
    EXPECT_EQ(result.Extensions, (TStringList{"PIPELINING", "SIZE 33554432", "8BITMIME",
                                              "AUTH LOGIN PLAIN", "HELP"}));
    EXPECT_NE(DescribeProbeResult(result).find("Certificate: CN=localhost\r\n"),
              std::string::npos);
    EXPECT_TRUE(server->Wire().ends_with("Quit\r\n"));
    EXPECT_FALSE(server->Has(1));
}

}  // namespace
}  // namespace qv
