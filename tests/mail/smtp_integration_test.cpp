// Delivery through a real SMTP server (aiosmtpd on loopback); the received
// messages are parsed by Python's email package.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "mail/delivery.h"
#include "mail/net_errors.h"
#include "mail/smtp_client.h"
#include "support/smtp_test_server.h"

namespace qv {
namespace {

using test::SmtpTestServer;

class SmtpIntegrationTest : public ::testing::Test {
  protected:
    void Start(const std::vector<std::string>& refused = {}) {
        server = std::make_unique<SmtpTestServer>(refused);
        ASSERT_GT(server->Port(), 0) << "the SMTP test server did not start";
        smtp.SetHost("127.0.0.1");
        smtp.SetPort(server->Port());
    }

    std::unique_ptr<SmtpTestServer> server;
    TSmtpClient smtp;
};

TEST_F(SmtpIntegrationTest, MessageWithAttachmentsArrivesIntact) {
    Start();
    TTempFolder files;
    std::string binary(100000, '\0');
    std::mt19937 random(7);
    for (char& c : binary) {
        c = static_cast<char>(random());
    }
    std::string binPath = (files.Path() / "scan.pdf").string();
    std::string emptyPath = (files.Path() / "empty.txt").string();
    std::ofstream(binPath, std::ios::binary) << binary;
    std::ofstream(emptyPath, std::ios::binary).close();

    TMailMessage msg;
    TSendRequest request{.From = "Jo Citizen <jo@home.example>",
                         .To = "<sen.a@senate.example>; sen.b@senate.example (B)",
                         .CC = "Rep C <rep.c@house.example>",
                         .BCC = "<hidden@x.example>",
                         .Subject = "Bridge repairs",
                         .MessageText = "Dear officials,\n.\n.signed\nJo\n",
                         .Attachments = {binPath, emptyPath}};
    DeliverMessage(smtp, msg, request, nullptr);
    smtp.Disconnect();

    ASSERT_TRUE(server->Has(1));
    EXPECT_EQ(server->Lines(1, "mail_from"), std::vector<std::string>{"mail_from jo@home.example"});
    EXPECT_EQ(server->Lines(1, "rcpt"),
              (std::vector<std::string>{"rcpt hidden@x.example", "rcpt rep.c@house.example",
                                        "rcpt sen.a@senate.example", "rcpt sen.b@senate.example"}));
    std::vector<std::string> headers = server->Lines(1, "header");
    ASSERT_EQ(headers.size(), 9u);
    EXPECT_EQ(headers[0], "header From: Jo Citizen <jo@home.example>");
    EXPECT_EQ(headers[1], "header Subject: Bridge repairs");
    EXPECT_EQ(headers[2], "header Reply-To: Jo Citizen <jo@home.example>");
    EXPECT_TRUE(headers[3].starts_with("header Date: ")) << headers[3];
    EXPECT_EQ(headers[4], "header MIME-Version: 1.0");
    EXPECT_EQ(headers[5],
              "header Content-Type: multipart/mixed; boundary=\"=_NextPart_2rfksadvnqw3nerasdf\"");
    EXPECT_EQ(headers[6], "header To: <sen.a@senate.example>,sen.b@senate.example (B)");
    EXPECT_EQ(headers[7], "header Cc: Rep C <rep.c@house.example>");
    EXPECT_EQ(headers[8], "header X-Library: QvMail 1.20");
    EXPECT_EQ(
        server->Lines(1, "part"),
        (std::vector<std::string>{"part text/plain -", "part application/octet-stream scan.pdf",
                                  "part application/octet-stream empty.txt"}));
    EXPECT_EQ(server->Part(1, 1), "Dear officials,\r\n.\r\n.signed\r\nJo\r\n");
    EXPECT_EQ(server->Part(1, 2), binary);
    EXPECT_EQ(server->Part(1, 3), "");
}

TEST_F(SmtpIntegrationTest, TwoHundredFiftyRecipientsGoOutInThreeTransactions) {
    Start();
    std::string to;
    for (int i = 0; i < 250; ++i) {
        to.append(i ? ";<official" : "<official")
            .append(std::to_string(i))
            .append("@house.example>");
    }
    TMailMessage msg;
    TSendRequest request{.From = "jo@home.example", .To = to, .MessageText = "Hello"};
    TDeliveryResult result = DeliverMessage(smtp, msg, request, nullptr);
    EXPECT_EQ(result.Transactions, 3u);

    const std::size_t sizes[] = {99, 99, 52};
    int next = 0;
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(server->Has(n));
        std::vector<std::string> rcpts = server->Lines(n, "rcpt");
        ASSERT_EQ(rcpts.size(), sizes[n - 1]);
        std::string expectedTo = "header To: ";
        for (std::size_t i = 0; i < rcpts.size(); ++i, ++next) {
            std::string address = "official" + std::to_string(next) + "@house.example";
            EXPECT_EQ(rcpts[i], "rcpt " + address);
            expectedTo.append(i ? ",<" : "<").append(address).append(">");
        }
        // The long To header arrives folded after its commas: unfolded, each
        // fold leaves one blank behind.
        std::vector<std::string> toHeader = server->Lines(n, "header To: ");
        ASSERT_EQ(toHeader.size(), 1u);
        std::erase(toHeader[0], ' ');
        EXPECT_EQ("header To: " + toHeader[0].substr(9), expectedTo);
        std::string raw = server->Raw(n);
        for (std::size_t start = 0, end; (end = raw.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            EXPECT_LE(end - start, 998u);
        }
        EXPECT_EQ(server->Lines(n, "header Subject:"),
                  std::vector<std::string>{"header Subject: None"});
        EXPECT_EQ(server->Part(n, 1), "Hello\r\n");
    }
    EXPECT_FALSE(server->Has(4));
}

TEST_F(SmtpIntegrationTest, RefusedRecipientThenANewTransactionOnTheSameConnection) {
    Start({"gone@house.example"});
    smtp.Connect();
    TMailMessage msg;
    msg.SetFrom("jo@home.example");
    msg.SetToo({"<here@house.example>", "<gone@house.example>"});
    msg.SetText("First");
    try {
        smtp.Send(msg);
        FAIL() << "refusal ignored";
    } catch (const ENetResponseError& e) {
        EXPECT_STREQ(e.what(), "550 5.1.1 <gone@house.example>: Recipient address rejected");
    }
    EXPECT_TRUE(smtp.Connected());
    msg.SetToo({"<here@house.example>"});
    msg.SetText("Second");
    smtp.Send(msg);
    smtp.Disconnect();
    ASSERT_TRUE(server->Has(1));
    EXPECT_EQ(server->Lines(1, "rcpt"), std::vector<std::string>{"rcpt here@house.example"});
    EXPECT_EQ(server->Part(1, 1), "Second\r\n");
    EXPECT_FALSE(server->Has(2));
}

TEST_F(SmtpIntegrationTest, UnreadableAttachmentEndsTheSessionAndTheNextSendStartsClean) {
    Start();
    TMailMessage msg;
    TSendRequest request{.From = "jo@home.example",
                         .To = "<here@house.example>",
                         .MessageText = "Body",
                         .Attachments = {"/nowhere/missing.pdf"}};
    EXPECT_THROW(DeliverMessage(smtp, msg, request, nullptr), EFileReadError);
    EXPECT_FALSE(smtp.Connected());
    request.Attachments.clear();
    DeliverMessage(smtp, msg, request, nullptr);
    ASSERT_TRUE(server->Has(1));
    EXPECT_EQ(server->Part(1, 1), "Body\r\n");
}

TEST_F(SmtpIntegrationTest, PipelinedRefusalInTheMiddleEndsTheActionAndSendsNothing) {
    server = std::make_unique<SmtpTestServer>(std::vector<std::string>{"gone@house.example"},
                                              std::vector<std::string>{"--pipelining"});
    ASSERT_GT(server->Port(), 0);
    smtp.SetAccount({.Host = "127.0.0.1",
                     .Port = server->Port(),
                     .Security = TSmtpSecurity::StartTlsIfOffered});
    TMailMessage msg;
    TSendRequest request{.From = "jo@home.example",
                         .To = "<a@house.example>;<gone@house.example>;<b@house.example>",
                         .MessageText = "Body"};
    try {
        DeliverMessage(smtp, msg, request, nullptr);
        FAIL() << "refusal ignored";
    } catch (const ENetResponseError& e) {
        EXPECT_STREQ(e.what(), "550 5.1.1 <gone@house.example>: Recipient address rejected");
    }
    EXPECT_FALSE(smtp.Connected());  // the server had accepted Data
    // Every command up to Data arrived, and nothing after it.
    EXPECT_TRUE(server->Wire().ends_with("RCPT to:<b@house.example>\r\nData\r\n"));
    EXPECT_FALSE(server->Has(1));

    request.To = "<a@house.example>;<b@house.example>";
    DeliverMessage(smtp, msg, request, nullptr);
    ASSERT_TRUE(server->Has(1));
    EXPECT_EQ(server->Lines(1, "rcpt"),
              (std::vector<std::string>{"rcpt a@house.example", "rcpt b@house.example"}));
}

TEST_F(SmtpIntegrationTest, PersonalLettersGoOutOneRecipientAtATime) {
    Start();
    TMailMessage msg;
    TSendRequest request{.From = "Jo <jo@home.example>",
                         .To = "<doe@senate.example>; typed@home.example",
                         .BCC = "<KEAN@house.example>",
                         .Subject = "{Name}: clean water",
                         .MessageText =
                             "Dear {Title} {Name},\nI write about {State}, district "
                             "{District}.\n",
                         .HideFrom = true,
                         .MaxRecipients = 2,
                         .Personalise = true};
    request.Records.Add("<doe@senate.example>",
                        {TRecordKind::Senate, {"OH", "D", "Doe, Jane", "doe@senate.example", "-"}});
    request.Records.Add("kean@house.example",
                        {TRecordKind::House, {"NJ", "7", "R", "Kean Jr., Tom", "-", "-"}});
    struct : IDeliveryObserver {
        void SendingTransaction(std::size_t number, std::size_t total,
                                std::size_t recipients) override {
            texts.push_back(SendingText(number, total, recipients));
        }
        void TransactionSent(std::size_t) override {}
        std::vector<std::string> texts;
    } progress;
    EXPECT_EQ(DeliverMessage(smtp, msg, request, &progress).Transactions, 3u);
    smtp.Disconnect();
    EXPECT_EQ(progress.texts,
              (std::vector<std::string>{"Sending transaction 1 of 3 (1 recipient)",
                                        "Sending transaction 2 of 3 (1 recipient)",
                                        "Sending transaction 3 of 3 (1 recipient)"}));

    const std::string hidden = "email:          Jo <jo@home.example>\r\n\r\n";
    struct Expected {
        std::string rcpt, to, subject, body;
    } expected[] = {
        {"doe@senate.example", "<doe@senate.example>", "Jane Doe: clean water",
         "Dear Senator Jane Doe,\r\nI write about Ohio, district .\r\n"},
        {"typed@home.example", "typed@home.example", "Sir or Madam: clean water",
         "Dear  Sir or Madam,\r\nI write about , district .\r\n"},
        {"KEAN@house.example", "", "Tom Kean Jr.: clean water",
         "Dear Representative Tom Kean Jr.,\r\nI write about New Jersey, district 7.\r\n"},
    };
    for (int n = 1; n <= 3; ++n) {
        const Expected& e = expected[n - 1];
        ASSERT_TRUE(server->Has(n));
        EXPECT_EQ(server->Lines(n, "mail_from"), std::vector<std::string>{"mail_from <>"});
        EXPECT_EQ(server->Lines(n, "rcpt"), std::vector<std::string>{"rcpt " + e.rcpt});
        EXPECT_EQ(server->Lines(n, "header To:"),
                  e.to.empty() ? std::vector<std::string>{}
                               : std::vector<std::string>{"header To: " + e.to});
        EXPECT_EQ(server->Lines(n, "header Subject:"),
                  std::vector<std::string>{"header Subject: " + e.subject});
        EXPECT_TRUE(server->Lines(n, "header From:").empty());
        EXPECT_EQ(server->Part(n, 1), hidden + e.body);
    }
    EXPECT_FALSE(server->Has(4));
}

}  // namespace
}  // namespace qv
