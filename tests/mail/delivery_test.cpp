#include <gtest/gtest.h>

#include "mail/delivery.h"
#include "mail/net_errors.h"
#include "support/fake_net.h"

namespace qv {
namespace {

using test::FakeConnector;
using test::FakeNet;

class RecordProgress : public IDeliveryObserver {
  public:
    void Connecting(const std::string& host) override { texts.push_back(ConnectingText(host)); }
    void SendingTransaction(std::size_t number, std::size_t total,
                            std::size_t recipients) override {
        texts.push_back(SendingText(number, total, recipients));
    }
    void TransactionSent(std::size_t recipients) override { sent.push_back(recipients); }
    std::vector<std::size_t> sent;
    std::vector<std::string> texts;
};

std::string Entries(const char* prefix, int count) {
    std::string field;
    for (int i = 0; i < count; ++i) {
        field.append(i ? ";<" : "<").append(prefix).append(std::to_string(i)).append("@x.example>");
    }
    return field;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class DeliveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        net->answer = true;
        smtp.SetHost("mail.example.org");
    }

    TDeliveryResult Deliver() { return DeliverMessage(smtp, msg, request, &progress); }

    std::shared_ptr<FakeNet> net = std::make_shared<FakeNet>();
    TSmtpClient smtp{std::make_shared<FakeConnector>(net)};
    TMailMessage msg;
    TSendRequest request{.From = "Jo <jo@home.example>", .Subject = "Roads"};
    RecordProgress progress;
};

TEST(RecipientFieldTest, SplitKeepsEmptyEntriesAndTrimsBlanks) {
    EXPECT_TRUE(SplitRecipientField("").empty());
    EXPECT_EQ(SplitRecipientField(" <a@x> ;b@y"), (TStringList{"<a@x>", "b@y"}));
    EXPECT_EQ(SplitRecipientField("a@x;;b@y;"), (TStringList{"a@x", "", "b@y", ""}));
}

TEST(ContactBlockTest, LeavesOutEmptyLinesButNeverTheEmailLine) {
    TContactDetails contact{.Name = "Jo Citizen", .City = "Springfield"};
    EXPECT_EQ(BuildContactBlock(contact, "jo@home.example"),
              "Name:           Jo Citizen\r\n"
              "email:          jo@home.example\r\n"
              "City:           Springfield\r\n"
              "\r\n");
    TContactDetails full{"N", "S1", "S2", "C", "St", "Z", "H", "W", "F", "D"};
    EXPECT_EQ(BuildContactBlock(full, ""),
              "Name:           N\r\nemail:          \r\nStreet Address: S1\r\n"
              "                S2\r\nCity:           C\r\nState:          St\r\n"
              "Zip Code:       Z\r\nHome Phone:     H\r\nWork Phone:     W\r\n"
              "Fax Number:     F\r\nCongress. Dist. D\r\n\r\n");
}

TEST(SplitSendingTest, GroupsKeepRolesAndOrder) {
    TStringList bcc;
    for (int i = 0; i < 200; ++i) {
        bcc.push_back("b" + std::to_string(i));
    }
    auto groups = SplitIntoGroups({"t"}, {}, bcc, 99);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].To, TStringList{"t"});
    EXPECT_EQ(groups[0].BCC.size(), 98u);
    EXPECT_EQ(groups[1].BCC.size(), 99u);
    EXPECT_EQ(groups[1].BCC.front(), "b98");
    EXPECT_EQ(groups[2].BCC.size(), 3u);
    EXPECT_EQ(SplitIntoGroups({"a", "b"}, {"c"}, {}, 0).size(), 3u);
    EXPECT_TRUE(SplitIntoGroups({}, {}, {}, 5).empty());
}

TEST(PlanTransactionsTest, OneRecipientEachOnlyWhenAskedAndTheLetterHasAPlaceholder) {
    struct Row {
        bool personalise;
        std::string subject, text;
        std::vector<std::size_t> sizes;
    } rows[] = {
        {false, "", "Dear {Name},", {2, 2, 1}},  // as qvtool sends
        {true, "Roads", "Dear all,", {2, 2, 1}},
        {true, "Roads", "Dear {Nmae},", {2, 2, 1}},
        {true, "Roads", "Dear {name},", {1, 1, 1, 1, 1}},
        {true, "To {Title}", "Dear all,", {1, 1, 1, 1, 1}},
    };
    for (const Row& row : rows) {
        TSendRequest request{.To = "<a@x>;<b@x>;<c@x>",
                             .BCC = "<d@x>;<e@x>",
                             .Subject = row.subject,
                             .MessageText = row.text,
                             .MaxRecipients = 2,
                             .Personalise = row.personalise};
        std::vector<std::size_t> sizes;
        for (const TTransaction& t : PlanTransactions(request)) {
            sizes.push_back(t.Recipients.Count());
        }
        EXPECT_EQ(sizes, row.sizes) << row.subject << " / " << row.text;
    }
    // The sender's copy goes with the first letter.
    TSendRequest copy{.From = "me@x",
                      .To = "<a@x>;<b@x>",
                      .MessageText = "Dear {Name}",
                      .Personalise = true,
                      .CopyToSender = true};
    const std::vector<TTransaction> planned = PlanTransactions(copy);
    ASSERT_EQ(planned.size(), 2u);
    EXPECT_EQ(planned[0].Recipients.BCC, TStringList{"me@x"});
    EXPECT_EQ(planned[1].Recipients.Count(), 1u);
    TSendRequest none{.MessageText = "Dear {Name}", .Personalise = true};
    ASSERT_EQ(PlanTransactions(none).size(), 1u);
    EXPECT_EQ(PlanTransactions(none)[0].Recipients.Count(), 0u);
}

TEST_F(DeliveryTest, BelowTheMaximumIsOneTransaction) {
    request.To = Entries("t", 2);
    request.BCC = Entries("b", 2);
    request.MaxRecipients = 5;
    request.MessageText = "Please fix the roads.";
    TDeliveryResult result = Deliver();
    EXPECT_FALSE(result.SplitSending);
    EXPECT_EQ(progress.sent, std::vector<std::size_t>{4});
    EXPECT_EQ(Count(net->written, "Rset\r\n"), 1u);
    EXPECT_NE(net->written.find("Reply-To: Jo <jo@home.example>\r\n"), std::string::npos);
    EXPECT_NE(net->written.find("\r\n\r\nPlease fix the roads.\r\n.\r\n"), std::string::npos);
    EXPECT_TRUE(smtp.Connected());
}

TEST_F(DeliveryTest, AtTheMaximumEveryEntryGoesOutExactlyOnce) {
    request.To = Entries("t", 250);
    request.MaxRecipients = 99;
    TDeliveryResult result = Deliver();
    EXPECT_TRUE(result.SplitSending);
    EXPECT_EQ(result.Transactions, 3u);
    EXPECT_EQ(progress.sent, (std::vector<std::size_t>{99, 99, 52}));
    EXPECT_EQ(progress.texts,
              (std::vector<std::string>{"Connecting to mail.example.org...",
                                        "Sending transaction 1 of 3 (99 recipients)",
                                        "Sending transaction 2 of 3 (99 recipients)",
                                        "Sending transaction 3 of 3 (52 recipients)"}));
    EXPECT_EQ(Count(net->written, "RCPT to:<"), 250u);
    EXPECT_EQ(Count(net->written, "RCPT to:<t0@"), 1u);
    EXPECT_EQ(Count(net->written, "RCPT to:<t249@"), 1u);
    EXPECT_EQ(net->opens, 1);

    net->written.clear();
    progress.sent.clear();
    request.To = Entries("t", 5);
    request.MaxRecipients = 5;
    EXPECT_TRUE(Deliver().SplitSending);  // the session left open is replaced
    EXPECT_EQ(progress.sent, std::vector<std::size_t>{5});
    EXPECT_EQ(net->opens, 2);

    progress.sent.clear();
    request.MaxRecipients = -3;
    EXPECT_TRUE(Deliver().SplitSending);
    EXPECT_EQ(progress.sent, (std::vector<std::size_t>{1, 1, 1, 1, 1}));
}

TEST_F(DeliveryTest, TheSendersCopyIsOneMoreBccOfTheFirstTransactionOnly) {
    const struct {
        int Entries;
        bool Split;
        std::vector<std::size_t> Sent;
    } rows[] = {{4, false, {5}}, {5, true, {6}}, {7, true, {6, 2}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Entries);
        net->written.clear();
        progress.sent.clear();
        request.To = Entries("t", row.Entries);
        request.MaxRecipients = 5;
        request.CopyToSender = true;
        EXPECT_EQ(Deliver().SplitSending, row.Split);  // the copy does not count
        EXPECT_EQ(progress.sent, row.Sent);
        EXPECT_EQ(Count(net->written, "RCPT to:<jo@home.example>"), 1u);
        EXPECT_LT(net->written.find("RCPT to:<jo@home.example>"), net->written.find("\r\n.\r\n"));
    }
}

TEST_F(DeliveryTest, HiddenSenderGoesInTheBodyAndLeavesTheEnvelopeEmpty) {
    request.To = "<t@x.example>";
    request.HideFrom = true;
    request.MessageText = "Text";
    Deliver();
    EXPECT_NE(net->written.find("Mail from:<>\r\n"), std::string::npos);
    EXPECT_EQ(net->written.find("From:"), std::string::npos);
    EXPECT_EQ(net->written.find("Reply-To:"), std::string::npos);
    EXPECT_NE(
        net->written.find("\r\n\r\nemail:          Jo <jo@home.example>\r\n\r\nText\r\n.\r\n"),
        std::string::npos);

    net->written.clear();
    request.UseContact = true;
    request.Contact.Name = "Jo";
    Deliver();
    EXPECT_NE(net->written.find("\r\n\r\nName:           Jo\r\nemail:          Jo "
                                "<jo@home.example>\r\n\r\nText\r\n.\r\n"),
              std::string::npos);
    EXPECT_EQ(net->written.find("From:"), std::string::npos);
}

TEST_F(DeliveryTest, ConnectIsRetriedOnceThenReported) {
    request.To = "<t@x.example>";
    net->openFailures.push_back(std::make_exception_ptr(ENetSocketError(10061)));
    Deliver();
    EXPECT_EQ(net->opens, 2);
    EXPECT_EQ(progress.sent.size(), 1u);

    smtp.Disconnect();
    net->openFailures.push_back(std::make_exception_ptr(ENetSocketError(10061)));
    net->openFailures.push_back(std::make_exception_ptr(ENetSocketError(11001)));
    try {
        Deliver();
        FAIL() << "no connection failure";
    } catch (const ESmtpConnectFailed& e) {
        EXPECT_STREQ(e.what(),
                     "Unable to connect to SMTP server.  Check your SMTP server setting in "
                     "Quorvane and verify your Internet connection.");
        try {
            std::rethrow_exception(e.Cause());
        } catch (const ENetSocketError& cause) {
            EXPECT_EQ(cause.Code(), 11001);
        }
    }

    // A server that answered but cannot give what the settings ask is not
    // tried again, and its own failure reaches the user.
    net->opens = 0;
    smtp.SetSecurity(TSmtpSecurity::StartTlsRequired);
    EXPECT_THROW(Deliver(), ESmtpStartTlsMissing);
    EXPECT_EQ(net->opens, 1);
}

TEST_F(DeliveryTest, BadEntriesAreRefusedBeforeConnecting) {
    request.To = "<t@x.example>;nobody";
    EXPECT_THROW(Deliver(), EInvalidRecipient);
    request.To = "<t@x.example>;;<u@x.example>";
    EXPECT_THROW(Deliver(), EInvalidRecipient);
    request.To = "<t@x.example>";
    request.Subject = "Roads\nBcc: everyone@x.example";
    EXPECT_THROW(Deliver(), ELineBreakInField);
    request.Subject = "Dear {Name}";
    request.Personalise = true;
    request.To = "<t@x.example>;<u@x.example>;nobody";
    EXPECT_THROW(Deliver(), EInvalidRecipient);
    EXPECT_EQ(net->opens, 0);
    EXPECT_EQ(net->written, "");
}

TEST_F(DeliveryTest, ARefusalStopsTheActionAfterEarlierTransactions) {
    request.To = Entries("t", 4);
    request.MaxRecipients = 2;
    net->refused.insert("t3@x.example");
    EXPECT_THROW(Deliver(), ENetResponseError);
    EXPECT_EQ(progress.sent, std::vector<std::size_t>{2});
    EXPECT_TRUE(smtp.Connected());
}

}  // namespace
}  // namespace qv
