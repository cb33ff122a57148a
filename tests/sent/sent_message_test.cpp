#include "sent/sent_message.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>

#include "sent/sent_errors.h"
#include "sent/sent_test_support.h"

namespace {

using namespace qv::sent;

class SentMessageTest : public testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

TSentMessage FailedSplitSend() {
    TSentMessage m;
    m.When = 1700000000;  // 11/14/2023 10:13 PM UTC
    m.State = TSendState::Failed;
    m.FailedAt = TFailedAt::Sending;
    m.Failure = "550 No such user";
    m.Server = "smtp.example.org";
    m.Fields = {"me@example.org", "", "", "", "Budget", "Vote no.", {"/tmp/a.pdf", "b.txt"}};
    m.Body = "Name:           Me\r\nemail:          me@example.org\r\n\r\nVote no.";
    m.Transactions = {{TTransactionState::Sent,
                       {{TRole::To, "<a@x.example>"}, {TRole::BCC, "<b@x.example>"}},
                       "250 Ok: queued"},
                      {TTransactionState::Failed, {{TRole::BCC, "<c@x.example>"}}, ""},
                      {TTransactionState::Pending, {{TRole::CC, "<d@x.example>"}}, ""}};
    return m;
}

TEST_F(SentMessageTest, TheTextOfAMessageShowsEveryTransactionAndTheBodyAsSent) {
    EXPECT_EQ(MessageText(FailedSplitSend()),
              "Date:        11/14/2023 10:13 PM\n"
              "From:        me@example.org\n"
              "Subject:     Budget\n"
              "Attachments: a.pdf, b.txt\n"
              "Result:      Failed after 1 of 3 transactions sent: 550 No such user\n"
              "\n"
              "Transaction 1 of 3: sent, server replied \"250 Ok: queued\"\n"
              "  To:  <a@x.example>\n"
              "  BCC: <b@x.example>\n"
              "Transaction 2 of 3: failed\n"
              "  BCC: <c@x.example>\n"
              "Transaction 3 of 3: not sent\n"
              "  CC:  <d@x.example>\n"
              "\n"
              "Name:           Me\n"
              "email:          me@example.org\n"
              "\n"
              "Vote no.\n");

    TSentMessage forms;
    forms.Kind = TMessageKind::WebForms;
    forms.When = 1700000000 - 22 * 3600;  // the hour after midnight reads 12
    forms.State = TSendState::Sent;
    forms.Fields.Subject = "Roads";
    forms.Body = "Fix the roads.\n";
    forms.Officials = {{"Sen. Ann A", "https://a.example/contact", TFormOutcome::Filled},
                       {"Rep. Bo B", "https://b.example/contact", TFormOutcome::Stopped}};
    EXPECT_EQ(MessageText(forms),
              "Date:        11/14/2023 12:13 AM\n"
              "Subject:     Roads\n"
              "Result:      Written through 2 web forms\n"
              "\n"
              "Filled: Sen. Ann A <https://a.example/contact>\n"
              "Stopped: Rep. Bo B <https://b.example/contact>\n"
              "\n"
              "Fix the roads.\n");
}

TEST_F(SentMessageTest, TheResultLineSaysHowFarTheActionGot) {
    const struct {
        TSendState State;
        TFailedAt At;
        const char* Result;
    } rows[] = {
        {TSendState::Sent, TFailedAt::None, "Sent in 3 transactions through smtp.example.org"},
        {TSendState::Cancelled, TFailedAt::None, "Cancelled after 1 of 3 transactions sent"},
        {TSendState::Sending, TFailedAt::None,
         "Unfinished: the program ended after 1 of 3 transactions sent"},
        {TSendState::Failed, TFailedAt::Checking, "Failed before connecting: 550 No such user"},
        {TSendState::Failed, TFailedAt::Connecting,
         "Failed while connecting through smtp.example.org: 550 No such user"},
    };
    for (const auto& row : rows) {
        TSentMessage m = FailedSplitSend();
        m.State = row.State;
        m.FailedAt = row.At;
        const std::string text = MessageText(m);
        const std::size_t start = text.find("Result:      ") + 13;
        EXPECT_EQ(text.substr(start, text.find('\n', start) - start), row.Result);
    }
}

TEST_F(SentMessageTest, ExportWritesTheTextOrReportsWhyNotLeavingTheTargetAlone) {
    const struct {
        const char* Subject;
        const char* Name;
    } names[] = {
        {"Budget vote", "Budget vote.txt"},
        {"Re: 2024/25 \"plan\"?", "Re_ 2024_25 _plan__.txt"},
        {"  ..", "message.txt"},
        {"", "message.txt"},
    };
    for (const auto& row : names) {
        TSentMessage m;
        m.Fields.Subject = row.Subject;
        EXPECT_EQ(ExportFileName(m), row.Name);
    }

    TTempFolder folder;
    const std::string target = folder.Path("budget.txt");
    ExportMessage(FailedSplitSend(), target);
    EXPECT_EQ(ReadFile(target), MessageText(FailedSplitSend()));

    const std::string blocked = folder.Path("blocked.txt");
    std::filesystem::create_directory(blocked);
    EXPECT_THROW(ExportMessage(FailedSplitSend(), blocked), ESentExportError);
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              2);  // no temporary file left behind
}

}  // namespace
