// Send actions through a real SMTP server (aiosmtpd on loopback), recorded
// as they go.
#include "sent/mail_record.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sent/sent_store.h"
#include "support/smtp_test_server.h"
#include "support/temp_folder.h"

namespace {

using namespace qv::sent;
using qv::test::SmtpTestServer;

// A loopback port on which nothing listens.
int ClosedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

qv::TSendRequest SplitRequest() {
    return {.From = "Jo <jo@home.example>",
            .To = "<a@senate.example>",
            .CC = "<b@house.example>",
            .BCC = "<c@x.example>; <d@y.example>; <e@z.example>",
            .Subject = "Bridge repairs",
            .MessageText = "Please fund the bridge.\n",
            .UseContact = true,
            .Contact = {.Name = "Jo Citizen"},
            .MaxRecipients = 2};
}

// Passes the progress calls on, as the compose window's progress does.
struct TCountingObserver : qv::IDeliveryObserver {
    void Connecting(const std::string&) override { ++Calls; }
    void SendingTransaction(std::size_t, std::size_t, std::size_t) override { ++Calls; }
    void TransactionSent(std::size_t) override { ++Calls; }
    int Calls = 0;
};

// Delivers request to port, recording into store; returns what was raised.
std::exception_ptr SendAndRecord(TSentStore& store, const qv::TSendRequest& request, int port,
                                 bool cancelled = false) {
    qv::TSmtpClient smtp;
    smtp.SetHost("127.0.0.1");
    smtp.SetPort(port);
    if (cancelled) {
        smtp.Cancel();
    }
    qv::TMailMessage message;
    TSendRecord record(&store);
    const TMailStart start = MailStartFor(request, "127.0.0.1", 1700000000);
    record.Begin(start);
    TCountingObserver progress;
    TRecordingObserver observer(record, smtp, &progress);
    std::exception_ptr failure;
    try {
        qv::DeliverMessage(smtp, message, request, &observer);
    } catch (...) {
        failure = std::current_exception();
    }
    observer.Ended(failure);
    EXPECT_EQ(record.Problem(), "");
    if (!failure) {  // every call reached the progress too
        EXPECT_EQ(progress.Calls, 1 + 2 * static_cast<int>(start.Transactions.size()));
    }
    return failure;
}

// Each transaction is recorded as the server received it, or where the send
// stopped and why.
TEST(MailRecordTest, ASendRecordsEachTransactionOrWhereItStopped) {
    using enum TTransactionState;
    SmtpTestServer server({"d@y.example"});
    ASSERT_GT(server.Port(), 0);
    qv::TSendRequest withCopy = SplitRequest();
    withCopy.CopyToSender = true;
    withCopy.BCC = "<c@x.example>; <f@y.example>; <e@z.example>";
    const std::vector<std::vector<TRecipient>> recipients = {
        {{TRole::To, "<a@senate.example>"},
         {TRole::CC, "<b@house.example>"},
         {TRole::BCC, "Jo <jo@home.example>"}},  // the sender's copy, in the first only
        {{TRole::BCC, "<c@x.example>"}, {TRole::BCC, "<f@y.example>"}},
        {{TRole::BCC, "<e@z.example>"}}};
    qv::TSendRequest badEntry = SplitRequest();
    badEntry.CC = "nobody";
    const struct {
        const char* Name;
        qv::TSendRequest Request;
        int Port;
        bool Cancelled;
        TSendState State;
        TFailedAt At;
        std::vector<TTransactionState> States;
        std::string Failure;
    } rows[] = {
        {"split, with the sender's copy", withCopy, server.Port(), false, TSendState::Sent,
         TFailedAt::None, {Sent, Sent, Sent}, ""},
        {"second transaction refused", SplitRequest(), server.Port(), false, TSendState::Failed,
         TFailedAt::Sending, {Sent, Failed, Pending},
         "550 5.1.1 <d@y.example>: Recipient address rejected"},
        {"nothing listening", SplitRequest(), ClosedPort(), false, TSendState::Failed,
         TFailedAt::Connecting, {Pending, Pending, Pending},
         "Socket Error #10061\r\nConnection refused."},
        {"entry without an address", badEntry, server.Port(), false, TSendState::Failed,
         TFailedAt::Checking, {Pending, Pending, Pending},
         "The CC recipient \"nobody\" has no address with \"@\"; the message was not sent."},
        {"cancelled while connecting", SplitRequest(), server.Port(), true,
         TSendState::Cancelled, TFailedAt::None, {Pending, Pending, Pending},
         "Sending was cancelled."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TTempFolder folder;
        TSentStore store(folder.Path("sent.sqlite"));
        EXPECT_EQ(SendAndRecord(store, row.Request, row.Port, row.Cancelled) == nullptr,
                  row.State == TSendState::Sent);

        const TSentMessage m = store.Read(store.Search("").at(0).Id);
        EXPECT_EQ(m.State, row.State);
        EXPECT_EQ(m.FailedAt, row.At);
        EXPECT_EQ(m.Failure, row.Failure);
        std::vector<TTransactionState> states;
        for (const TTransactionRecord& t : m.Transactions) {
            states.push_back(t.State);
        }
        EXPECT_EQ(states, row.States);
        if (row.State != TSendState::Sent) {
            continue;
        }
        // Sent first: the server's messages 1 to 3 are its transactions.
        EXPECT_EQ(m.Fields.BCC, withCopy.BCC);
        EXPECT_EQ(m.Body,
                  "Name:           Jo Citizen\r\nemail:          Jo <jo@home.example>\r\n"
                  "\r\nPlease fund the bridge.\n");
        ASSERT_EQ(m.Transactions.size(), recipients.size());
        for (std::size_t n = 0; n < recipients.size(); ++n) {
            const TTransactionRecord& t = m.Transactions[n];
            EXPECT_EQ(t.Reply, "250 Message accepted for delivery");
            EXPECT_EQ(t.Recipients, recipients[n]);
            std::vector<std::string> rcpt;
            for (const TRecipient& r : t.Recipients) {
                rcpt.push_back("rcpt " + qv::TMailMessage::ExtractAddress(r.Address));
            }
            std::vector<std::string> received = server.Lines(static_cast<int>(n + 1), "rcpt ");
            std::sort(rcpt.begin(), rcpt.end());
            std::sort(received.begin(), received.end());
            EXPECT_EQ(received, rcpt) << "transaction " << n + 1;
        }
    }
}

}  // namespace
