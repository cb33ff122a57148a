#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <thread>

#include "mail/net_errors.h"
#include "mail/smtp_client.h"
#include "support/fake_net.h"
#include "support/smtp_test_server.h"

namespace qv {
namespace {

using test::FakeConnector;
using test::FakeNet;

std::chrono::system_clock::time_point FixedMoment() {
    using namespace std::chrono;
    return sys_days{year{2026} / December / 7} + hours{20} + minutes{4} + seconds{5};
}

class SmtpClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
        ::tzset();
        smtp.SetHost("mail.example.org");
    }

    // Connects with a 220 greeting and a 250 to Helo, then forgets the bytes.
    void ConnectQuietly() {
        net->Script({"220 mail.example.org ESMTP", "250 Hello"});
        smtp.Connect();
        net->written.clear();
        net->writes.clear();
    }

    // The replies of one accepted transaction with recipients RCPT commands.
    void ScriptTransaction(int recipients) {
        net->Script({"250 Reset", "250 Sender ok"});
        for (int i = 0; i < recipients; ++i) {
            net->Script({"250 Recipient ok"});
        }
        net->Script({"354 Go ahead", "250 Queued"});
    }

    TMailMessage FixedMessage() {
        TMailMessage msg;
        msg.SetFrom("Jo Citizen <jo@home.example>");
        msg.SetSubject("Bridge repairs");
        msg.SetReplyTo(msg.From());
        msg.SetUseNowForDate(false);
        msg.SetDate(FixedMoment());
        msg.SetToo({"<sen.a@senate.example>", "sen.b@senate.example (Senator B)"});
        msg.SetCCList({"Rep C <rep.c@house.example>"});
        msg.SetBCCList({"<d@x.example>"});
        msg.SetText("Dear officials,\r\n.\r\nThank you.");
        return msg;
    }

    std::shared_ptr<FakeNet> net = std::make_shared<FakeNet>();
    TSmtpClient smtp{std::make_shared<FakeConnector>(net)};
    std::string host = LocalHostName();
};

const char* const kFixedHeaders =
    "From: Jo Citizen <jo@home.example>\r\n"
    "Subject: Bridge repairs\r\n"
    "Reply-To: Jo Citizen <jo@home.example>\r\n"
    "Date: Mon, 7 Dec 2026 15:04:05 -0500\r\n";

const char* const kFixedEnvelope =
    "Rset\r\n"
    "Mail from:<jo@home.example>\r\n"
    "RCPT to:<d@x.example>\r\n"
    "RCPT to:<rep.c@house.example>\r\n"
    "RCPT to:<sen.a@senate.example>\r\n"
    "RCPT to:<sen.b@senate.example>\r\n"
    "Data\r\n";

const char* const kFixedRecipientHeaders =
    "To: <sen.a@senate.example>,sen.b@senate.example (Senator B)\r\n"
    "Cc: Rep C <rep.c@house.example>\r\n"
    "X-Library: QvMail 1.20\r\n"
    "\r\n";

TEST_F(SmtpClientTest, ConnectGreetsAndRefusesASecondConnect) {
    net->Script({"220 mail.example.org ESMTP", "250 Hello"});
    smtp.Connect();
    EXPECT_TRUE(smtp.Connected());
    EXPECT_EQ(net->written, "Helo " + host + "\r\n");
    EXPECT_TRUE(net->lastOptions.UseNagle);
    EXPECT_EQ(net->lastOptions.Timeout, std::chrono::seconds(30));
    EXPECT_THROW(smtp.Connect(), ENetAlreadyConnected);

    smtp.Disconnect();
    EXPECT_FALSE(smtp.Connected());
    EXPECT_TRUE(net->written.ends_with("Quit\r\n"));
    EXPECT_THROW(smtp.WriteLine("Noop"), ENetClosedSocket);
}

TEST_F(SmtpClientTest, GreetingOtherThan220IsRefusedWithItsLine) {
    net->Script({"554 5.7.1 No service for you"});
    try {
        smtp.Connect();
        FAIL() << "connected";
    } catch (const ENetConnectRefused& e) {
        EXPECT_STREQ(e.what(), "554 5.7.1 No service for you");
    }
    EXPECT_FALSE(smtp.Connected());
    EXPECT_EQ(net->written, "Quit\r\n");
}

TEST_F(SmtpClientTest, RepliesAreParsedIntoCodeTextAndLines) {
    ConnectQuietly();
    net->Script({"250-mail.example.org", "", "  250-SIZE 1000  ", "250 HELP"});
    smtp.SendCommand("Ehlo x", 250);
    EXPECT_EQ(smtp.ReplyCode(), 250);
    EXPECT_EQ(smtp.ReplyText(), "250 HELP");
    EXPECT_EQ(smtp.ReplyLines(),
              (TStringList{"250-mail.example.org", "250-SIZE 1000", "250 HELP"}));

    net->Script({"250-first", "250"});
    smtp.ReadReply();
    EXPECT_EQ(smtp.ReplyLines().size(), 2u);

    net->replies.push_back("+OK ready\r\n-ERR no\r\nabc text\r\n25\r\n");
    const std::pair<int, const char*> codes[] = {
        {1, "+OK ready"}, {0, "-ERR no"}, {0, "abc text"}, {25, "25"}};
    for (const auto& [code, text] : codes) {
        smtp.ReadReply();
        EXPECT_EQ(smtp.ReplyCode(), code);
        EXPECT_EQ(smtp.ReplyText(), text);
    }
}

TEST_F(SmtpClientTest, OnlyTheExpectedCodePasses) {
    ConnectQuietly();
    net->Script({"251 User not local; will forward"});
    try {
        smtp.SendCommand("RCPT to:<a@b>", 250);
        FAIL() << "251 accepted";
    } catch (const ENetResponseError& e) {
        EXPECT_STREQ(e.what(), "251 User not local; will forward");
    }
    EXPECT_TRUE(smtp.Connected());
    net->Script({"500 whatever"});
    smtp.SendCommand("Noop", -1);
    EXPECT_EQ(smtp.ReplyCode(), 500);
}

TEST_F(SmtpClientTest, WireTextOfAPlainMessage) {
    ConnectQuietly();
    ScriptTransaction(4);
    TMailMessage msg = FixedMessage();
    smtp.Send(msg);
    EXPECT_EQ(net->written, std::string(kFixedEnvelope) + kFixedHeaders +
                                "Content-Type: text/plain\r\n" + kFixedRecipientHeaders +
                                "Dear officials,\r\n"
                                "..\r\n"
                                "Thank you.\r\n"
                                ".\r\n");
    // The message data and its final dot reach the socket in one write.
    EXPECT_EQ(net->writes.back().substr(0, 6), "From: ");
    EXPECT_TRUE(smtp.Connected());
}

TEST_F(SmtpClientTest, WireTextOfAMessageWithAttachments) {
    TTempFolder folder;
    std::string path = (folder.Path() / "letter.txt").string();
    std::ofstream(path, std::ios::binary) << "Hi";
    ConnectQuietly();
    ScriptTransaction(4);
    TMailMessage msg = FixedMessage();
    msg.AddAttachment(path);
    smtp.Send(msg);
    EXPECT_EQ(net->written, std::string(kFixedEnvelope) + kFixedHeaders +
                                "MIME-Version: 1.0\r\n"
                                "Content-Type: multipart/mixed; "
                                "boundary=\"=_NextPart_2rfksadvnqw3nerasdf\"\r\n" +
                                kFixedRecipientHeaders +
                                "This is a multi-part message in MIME format.\r\n"
                                "\r\n"
                                "--=_NextPart_2rfksadvnqw3nerasdf\r\n"
                                "Content-Type: text/plain\r\n"
                                "Content-Transfer-Encoding: 7bit\r\n"
                                "\r\n"
                                "Dear officials,\r\n"
                                "..\r\n"
                                "Thank you.\r\n"
                                "\r\n"
                                "--=_NextPart_2rfksadvnqw3nerasdf\r\n"
                                "Content-Type: application/octet-stream;\r\n"
                                "        name=\"letter.txt\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n"
                                "Content-Disposition: attachment;\r\n"
                                "        filename=\"letter.txt\"\r\n"
                                "\r\n"
                                "SGk=\r\n"
                                "\r\n"
                                "--=_NextPart_2rfksadvnqw3nerasdf--\r\n"
                                ".\r\n");
}

TEST_F(SmtpClientTest, NullSenderBlindCopiesOnlyAndSubjectNone) {
    ConnectQuietly();
    ScriptTransaction(1);
    TMailMessage msg;
    msg.SetUseNowForDate(false);
    msg.SetSubject("   ");
    msg.SetBCCList({"<hidden@x.example>"});
    msg.SetText("x");
    smtp.Send(msg);
    EXPECT_TRUE(net->written.starts_with("Rset\r\nMail from:<>\r\nRCPT to:<hidden@x.example>\r\n"));
    EXPECT_NE(net->written.find("Subject: None\r\nContent-Type: text/plain\r\nX-Library: "),
              std::string::npos);
    EXPECT_EQ(net->written.find("To:"), std::string::npos);
    EXPECT_EQ(net->written.find("Cc:"), std::string::npos);
}

TEST_F(SmtpClientTest, RefusedRecipientFailsAndTheNextSendStartsClean) {
    ConnectQuietly();
    net->Script({"250 Reset", "250 Sender ok", "550 5.1.1 <gone@x.example>: unknown"});
    TMailMessage msg;
    msg.SetFrom("jo@home.example");
    msg.SetToo({"gone@x.example"});
    try {
        smtp.Send(msg);
        FAIL() << "refusal ignored";
    } catch (const ENetResponseError& e) {
        EXPECT_STREQ(e.what(), "550 5.1.1 <gone@x.example>: unknown");
    }
    EXPECT_TRUE(smtp.Connected());
    net->written.clear();
    ScriptTransaction(1);
    msg.SetToo({"here@x.example"});
    smtp.Send(msg);
    EXPECT_TRUE(net->written.starts_with("Rset\r\n"));
}

TEST_F(SmtpClientTest, LineBreaksAndAddressesWithoutAtAreRefusedBeforeAnyCommand) {
    ConnectQuietly();
    auto attempt = [&](auto change) {
        TMailMessage msg;
        msg.SetFrom("jo@home.example");
        msg.SetSubject("ok");
        msg.SetToo({"a@x.example"});
        change(msg);
        EXPECT_ANY_THROW(smtp.Send(msg));
        EXPECT_EQ(net->written, "");
    };
    attempt([](TMailMessage& m) { m.SetSubject("Hi\r\nBcc: victim@x.example"); });
    attempt([](TMailMessage& m) { m.SetFrom("jo@home.example\nX: y"); });
    attempt([](TMailMessage& m) { m.SetCCList({"b@x.example\r\nRCPT to:<c@x.example>"}); });
    attempt([](TMailMessage& m) { m.SetBCCList({"c@x.example\r"}); });
    attempt([](TMailMessage& m) { m.AddAttachment("/tmp/odd\nname"); });
    try {
        TMailMessage msg;
        msg.SetToo({"a@x.example", "Jo <jo.example>"});
        smtp.Send(msg);
        FAIL() << "address without @ accepted";
    } catch (const EInvalidRecipient& e) {
        EXPECT_STREQ(e.what(),
                     "The To recipient \"Jo <jo.example>\" has no address with \"@\"; the message "
                     "was not sent.");
    }
    try {
        TMailMessage msg;
        msg.SetFrom("Jo <>");
        smtp.Send(msg);
        FAIL() << "empty sender address accepted";
    } catch (const EMissingSender& e) {
        EXPECT_STREQ(e.what(), "From not specified.");
    }
    EXPECT_EQ(net->written, "");
    EXPECT_TRUE(smtp.Connected());
}

TEST_F(SmtpClientTest, FailureInsideTheDataClosesTheSession) {
    ConnectQuietly();
    ScriptTransaction(1);
    TMailMessage msg;
    msg.SetToo({"a@x.example"});
    msg.SetText("text");
    msg.AddAttachment("/nowhere/missing.doc");
    EXPECT_THROW(smtp.Send(msg), EFileReadError);
    EXPECT_FALSE(smtp.Connected());
    EXPECT_EQ(net->written.find("\r\n.\r\n"), std::string::npos);

    // Send on a closed client opens its own session and closes it after.
    net->written.clear();
    net->replies.clear();
    net->Script({"220 again", "250 Hello"});
    ScriptTransaction(1);
    msg.ClearAttachments();
    smtp.Send(msg);
    EXPECT_EQ(net->opens, 2);
    EXPECT_TRUE(net->written.starts_with("Helo " + host + "\r\nRset\r\n"));
    EXPECT_TRUE(net->written.ends_with("\r\n.\r\nQuit\r\n"));
    EXPECT_FALSE(smtp.Connected());
}

TEST_F(SmtpClientTest, ClosedOrSilentPeerEndsTheWaitWithASocketError) {
    ConnectQuietly();
    net->Script({test::kTimeoutReply});
    try {
        smtp.SendCommand("Noop", 250);
        FAIL() << "no time-out";
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.Code(), 10060);
        EXPECT_STREQ(e.what(), "Socket Error #10060\r\nConnection timed out.");
    }
    EXPECT_FALSE(smtp.Connected());

    ConnectQuietly();
    EXPECT_THROW(smtp.SendCommand("Noop", 250), ENetSocketError);
    EXPECT_FALSE(smtp.Connected());
}

TEST_F(SmtpClientTest, RepliesPastOneMebibyteCloseTheConnection) {
    ConnectQuietly();
    net->replies.push_back(std::string(1024 * 1024 + 1, 'x'));
    try {
        smtp.ReadReply();
        FAIL() << "endless line accepted";
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.Code(), 10040);
    }
    EXPECT_FALSE(smtp.Connected());

    // Short lines that never end the reply are bounded as a whole.
    ConnectQuietly();
    std::string line = "250-" + std::string(60, 'y') + "\r\n";
    std::string flood;
    while (flood.size() <= 2 * 1024 * 1024) {
        flood += line;
    }
    net->replies.push_back(flood + "250 done\r\n");
    EXPECT_THROW(smtp.ReadReply(), ENetSocketError);
    EXPECT_FALSE(smtp.Connected());
}

TEST_F(SmtpClientTest, ReceiveBufferFollowsLongLinesAndShrinksBack) {
    smtp.SetBufferChunk(16);
    ConnectQuietly();
    std::string longLine = "250-" + std::string(200, 'x');
    net->replies.push_back(longLine + "\r\n250 ok\r\n");
    smtp.ReadReply();
    EXPECT_EQ(smtp.ReplyLines().front(), longLine);
    std::size_t grown = smtp.ReceiveBufferSize();
    EXPECT_GE(grown, 100u);
    for (int i = 0; i < 20; ++i) {
        net->Script({"250 short"});
        smtp.ReadReply();
    }
    EXPECT_LT(smtp.ReceiveBufferSize(), grown);
    EXPECT_EQ(smtp.ReplyText(), "250 short");
}

// The session as the account asks for it, byte for byte. "{h}" stands for
// the local host name; "<TLS host>" marks where TLS was put over the stream.
// A server without STARTTLS and TLS from the start are the rows of
// smtp_tls_test, against a real server.
TEST_F(SmtpClientTest, EachSecurityAndLoginGivesItsDialogue) {
    struct Row {
        const char* name;
        TSmtpSecurity security;
        const char* password;
        std::vector<const char*> replies;  // after the 220 greeting
        std::string written;
        std::string failure;  // "Class: message", empty when Connect succeeds
        bool tlsRefused = false;
    };
    const std::string refusedAuth = "535 5.7.8 Authentication credentials invalid";
    const Row rows[] = {
        {"no security, password: EHLO and AUTH PLAIN in plain text", TSmtpSecurity::None, "pw",
         {"250-mail", "250-AUTH LOGIN PLAIN", "250 HELP", "235 ok"},
         "EHLO {h}\r\nAUTH PLAIN AGpvAHB3\r\n", ""},
        {"AUTH LOGIN when PLAIN is not offered, old AUTH= form", TSmtpSecurity::None, "pw",
         {"250-mail", "250 AUTH=LOGIN", "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", "235 ok"},
         "EHLO {h}\r\nAUTH LOGIN\r\nam8=\r\ncHc=\r\n", ""},
        // Plain text that arrived with the 220 is dropped, not read as
        // the reply to the EHLO under TLS.
        {"STARTTLS, EHLO again, then AUTH", TSmtpSecurity::StartTlsRequired, "pw",
         {"250-mail", "250-STARTTLS", "250 AUTH PLAIN", "220 go ahead\r\n250 injected",
          "250-mail", "250 AUTH PLAIN", "235 ok"},
         "EHLO {h}\r\nSTARTTLS\r\n<TLS mail.example.org>EHLO {h}\r\nAUTH PLAIN AGpvAHB3\r\n", ""},
        {"STARTTLS not offered and not required: plain session", TSmtpSecurity::StartTlsIfOffered,
         "", {"250 mail"}, "EHLO {h}\r\n", ""},
        {"EHLO refused: Helo instead", TSmtpSecurity::StartTlsIfOffered, "",
         {"500 5.5.1 Command unrecognized", "250 hello"}, "EHLO {h}\r\nHelo {h}\r\n", ""},
        {"AUTH offered without a mechanism we speak", TSmtpSecurity::None, "pw",
         {"250-mail", "250-AUTH", "250 AUTH X-PLAIN CRAM-MD5"}, "EHLO {h}\r\nQuit\r\n",
         "ESmtpAuthUnsupported: The SMTP server offers neither AUTH PLAIN nor AUTH LOGIN, so the "
         "password was not sent."},
        {"Helo only and a password: nothing to log in with", TSmtpSecurity::None, "pw",
         {"502 no", "250 hello"}, "EHLO {h}\r\nHelo {h}\r\nQuit\r\n",
         "ESmtpAuthUnsupported: The SMTP server offers neither AUTH PLAIN nor AUTH LOGIN, so the "
         "password was not sent."},
        {"refused AUTH carries the server's line", TSmtpSecurity::None, "pw",
         {"250-mail", "250 AUTH PLAIN", refusedAuth.c_str()},
         "EHLO {h}\r\nAUTH PLAIN AGpvAHB3\r\nQuit\r\n", "ESmtpAuthRefused: " + refusedAuth},
        {"refused certificate: nothing after the negotiation", TSmtpSecurity::StartTlsRequired,
         "pw", {"250-mail", "250 STARTTLS", "220 go ahead"},
         "EHLO {h}\r\nSTARTTLS\r\n<TLS mail.example.org>",
         "ETlsCertificateError: The certificate of mail.example.org was not accepted: hostname "
         "mismatch.",
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        net->written.clear();
        net->replies.clear();
        net->tlsFailure = row.tlsRefused ? std::make_exception_ptr(ETlsCertificateError(
                                               "mail.example.org", "hostname mismatch"))
                                         : nullptr;
        net->Script({"220 mail.example.org ESMTP"});
        for (const char* reply : row.replies) {
            net->Script({reply});
        }
        smtp.SetAccount({.Host = "mail.example.org",
                         .Port = 587,
                         .Security = row.security,
                         .User = "jo",
                         .Password = row.password,
                         .CaFile = "/etc/extra.pem"});
        std::string failure;
        try {
            smtp.Connect();
        } catch (const std::exception& e) {
            failure = ExceptionClassName(e) + ": " + e.what();
        }
        std::string expected = row.written;
        for (std::size_t at; (at = expected.find("{h}")) != std::string::npos;) {
            expected.replace(at, 3, host);
        }
        EXPECT_EQ(net->written, expected);
        EXPECT_EQ(failure, row.failure);
        EXPECT_EQ(smtp.Connected(), row.failure.empty());
        EXPECT_TRUE(net->replies.empty()) << "replies left unread";
        if (row.security != TSmtpSecurity::None && row.written.find("<TLS") != std::string::npos) {
            EXPECT_EQ(net->lastTlsOptions.CaFile, "/etc/extra.pem");
        }
        smtp.Disconnect();
    }
}

// Pipelined envelopes go out in one write and their replies are checked in
// order; recipients pass with 250 or 251 with and without pipelining.
TEST_F(SmtpClientTest, PipelinedAndPlainEnvelopes) {
    struct Row {
        const char* name;
        bool pipelining;
        std::vector<const char*> replies;  // Rset, Mail, three RCPT, Data
        std::string failure;
        bool connectedAfter;
    };
    const Row rows[] = {
        {"pipelined, 251 accepted", true,
         {"250 reset", "250 ok", "250 ok", "251 will forward", "250 ok", "354 go"}, "", true},
        {"plain, 251 accepted", false,
         {"250 reset", "250 ok", "251 will forward", "250 ok", "250 ok", "354 go"}, "", true},
        {"pipelined, refused in the middle after Data was accepted: session closed", true,
         {"250 reset", "250 ok", "250 ok", "550 5.1.1 <b@x.example>: unknown", "250 ok",
          "354 go"},
         "550 5.1.1 <b@x.example>: unknown", false},
        {"pipelined, every recipient refused and Data too: session kept", true,
         {"250 reset", "250 ok", "550 no a", "550 no b", "550 no c", "554 no valid recipients"},
         "550 no a", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        net->replies.clear();
        net->Script({"220 mail.example.org ESMTP", "250-mail.example.org"});
        if (row.pipelining) {
            net->Script({"250-PIPELINING"});
        }
        net->Script({"250 8BITMIME"});
        smtp.SetAccount({.Host = "mail.example.org", .Security = TSmtpSecurity::StartTlsIfOffered});
        smtp.Connect();
        net->written.clear();
        net->writes.clear();
        for (const char* reply : row.replies) {
            net->Script({reply});
        }
        if (row.failure.empty()) {
            net->Script({"250 queued"});
        }
        TMailMessage msg;
        msg.SetFrom("jo@home.example");
        msg.SetToo({"a@x.example", "b@x.example", "c@x.example"});
        msg.SetText("text");
        std::string failure;
        try {
            smtp.Send(msg);
        } catch (const ENetResponseError& e) {
            failure = e.what();
        }
        EXPECT_EQ(failure, row.failure);
        EXPECT_EQ(smtp.Connected(), row.connectedAfter);
        const std::string envelope =
            "Rset\r\nMail from:<jo@home.example>\r\nRCPT to:<a@x.example>\r\n"
            "RCPT to:<b@x.example>\r\nRCPT to:<c@x.example>\r\nData\r\n";
        if (row.pipelining) {
            EXPECT_EQ(net->writes.front(), envelope);
        } else {
            EXPECT_EQ(net->writes.front(), "Rset\r\n");
        }
        EXPECT_TRUE(net->written.starts_with(envelope));
        EXPECT_EQ(net->written.find("From: ") != std::string::npos, row.failure.empty());
        EXPECT_TRUE(net->replies.empty()) << "replies left unread";
        smtp.Disconnect();
    }
}

TEST_F(SmtpClientTest, ManyPipelinedRecipientsGoOutInBoundedGroups) {
    net->Script({"220 mail.example.org ESMTP", "250-mail.example.org", "250 PIPELINING"});
    smtp.SetSecurity(TSmtpSecurity::StartTlsIfOffered);
    smtp.Connect();
    net->writes.clear();
    TMailMessage msg;
    TStringList to;
    for (int i = 0; i < 130; ++i) {
        to.push_back("r" + std::to_string(i) + "@x.example");
    }
    msg.SetToo(to);
    ScriptTransaction(130);
    smtp.Send(msg);
    // Rset, Mail and 126 RCPT; then 4 RCPT and Data; then the message.
    ASSERT_EQ(net->writes.size(), 3u);
    EXPECT_EQ(std::count(net->writes[0].begin(), net->writes[0].end(), '\n'), 128);
    EXPECT_TRUE(net->writes[1].starts_with("RCPT to:<r126@x.example>\r\n"));
    EXPECT_TRUE(net->writes[1].ends_with("RCPT to:<r129@x.example>\r\nData\r\n"));
}

TEST(SocketErrorTest, TextsAndCodeMapping) {
    EXPECT_EQ(SmtpSocketErrorText(10035), "Operation would block. ");
    EXPECT_EQ(SmtpSocketErrorText(10066), "Directory not empty");
    EXPECT_EQ(SmtpSocketErrorText(11004), "Valid name, no data record (check DNS setup).");
    EXPECT_EQ(SmtpSocketErrorText(12345), "");
    EXPECT_EQ(WinsockCodeFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WinsockCodeFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(WinsockCodeFromResolver(EAI_NONAME), 11001);
    EXPECT_EQ(ExceptionClassName(ENetResponseError("x")), "ENetResponseError");
}

// Real loopback sockets: a closed port, and a listener that never greets.
TEST(PosixSocketTest, RefusedConnectionAndSilentServer) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);

    TSmtpClient smtp;
    smtp.SetHost("LocalHost");
    smtp.SetPort(port);
    try {
        smtp.Connect();
        FAIL() << "connected to a closed port";
    } catch (const ENetSocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error #10061\r\nConnection refused.");
    }

    ASSERT_EQ(::listen(listener, 4), 0);
    smtp.SetHost("127.0.0.1");
    smtp.SetReplyTimeout(std::chrono::milliseconds(200));
    auto start = std::chrono::steady_clock::now();
    try {
        smtp.Connect();
        FAIL() << "a silent server greeted";
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.Code(), 10060);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(smtp.Connected());
    ::close(listener);

    smtp.SetHost("no-such-host.invalid");
    try {
        smtp.Connect();
        FAIL() << "resolved an invalid name";
    } catch (const ENetSocketError& e) {
        EXPECT_TRUE(e.Code() == 11001 || e.Code() == 11002) << e.Code();
    }
}


// A loopback listener on a free port, closed on destruction.
class Listener {
  public:
    Listener() {
        FFd = ::socket(AF_INET, SOCK_STREAM, 0);
        // A small receive buffer fills quickly once nobody reads.
        int small = 4096;
        ::setsockopt(FFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(FFd, reinterpret_cast<sockaddr*>(&address), &length);
        FPort = ntohs(address.sin_port);
        ::listen(FFd, 4);
    }
    ~Listener() { ::close(FFd); }
    int Fd() const { return FFd; }
    int Port() const { return FPort; }

  private:
    int FFd = -1;
    int FPort = 0;
};

// A server that answers the whole dialogue in advance and then never reads:
// the message data fills the socket buffers and the write has to give up.
TEST(PosixSocketTest, WritesToAServerThatNeverReadsEndAtTheTimeOut) {
    Listener listener;
    std::promise<void> clientDone;
    std::thread server([&, done = clientDone.get_future()] {
        int peer = ::accept(listener.Fd(), nullptr, nullptr);
        const char replies[] = "220 hi\r\n250 hello\r\n250 ok\r\n250 ok\r\n250 ok\r\n354 go\r\n";
        ::send(peer, replies, sizeof replies - 1, MSG_NOSIGNAL);
        done.wait();
        ::close(peer);
    });
    TSmtpClient smtp;
    smtp.SetHost("127.0.0.1");
    smtp.SetPort(listener.Port());
    smtp.SetReplyTimeout(std::chrono::milliseconds(300));
    smtp.Connect();
    TMailMessage msg;
    msg.SetToo({"a@x.example"});
    msg.SetText(std::string(32 * 1024 * 1024, 'x'));
    auto start = std::chrono::steady_clock::now();
    try {
        smtp.Send(msg);
        ADD_FAILURE() << "the whole message went out";
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.Code(), 10060);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_FALSE(smtp.Connected());
    clientDone.set_value();
    server.join();
}

TEST(PosixSocketTest, CancelFromAnotherThreadEndsTheWaitAndStaysUntilReset) {
    Listener listener;  // accepts (through the backlog) and never greets
    TSmtpClient smtp;
    smtp.SetHost("127.0.0.1");
    smtp.SetPort(listener.Port());
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        smtp.Cancel();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(smtp.Connect(), ENetCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    canceller.join();
    EXPECT_FALSE(smtp.Connected());

    EXPECT_THROW(smtp.Connect(), ENetCancelled);  // still cancelled

    smtp.ResetCancel();
    smtp.SetReplyTimeout(std::chrono::milliseconds(100));
    try {
        smtp.Connect();
        ADD_FAILURE() << "a silent server greeted";
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.Code(), 10060);
    }
}

}  // namespace
}  // namespace qv
