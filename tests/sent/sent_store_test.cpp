#include "sent/sent_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "sent/send_record.h"
#include "sent/sent_errors.h"
#include "sent/sent_test_support.h"
#include "webforms/form_walk.h"

namespace {

using namespace qv::sent;
namespace fs = std::filesystem;

// Runs sql on the file through a connection of its own.
void RawExec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(SentStoreTest, RecordsASplitSendWithEachTransactionsRecipientsAndReply) {
    TTempFolder folder;
    const std::string path = folder.Path("data/quorvane/sent.sqlite");
    std::int64_t id = 0;
    {
        TSentStore store(path);  // creates the missing folders
        EXPECT_EQ(fs::status(fs::path(path).parent_path()).permissions() & fs::perms::all,
                  fs::perms::owner_all);
        TSendRecord record(&store);
        record.Begin(SplitStart(1700000000));
        record.TransactionSent(1, "250 2.0.0 Ok: queued as A1");
        record.TransactionSent(2, "250 2.0.0 Ok: queued as B2");
        record.Sent();
        EXPECT_EQ(record.Problem(), "");
        id = store.Search("").at(0).Id;
    }
    TSentStore reopened(path);
    EXPECT_EQ(reopened.SetAsidePath(), "");
    const TSentMessage m = reopened.Read(id);

    TSentMessage expected;
    expected.Id = id;
    expected.When = 1700000000;
    expected.State = TSendState::Sent;
    expected.Fields = SplitStart(0).Fields;
    expected.Server = "smtp.example.org";
    expected.Body = SplitStart(0).Body;
    expected.Transactions = {
        {TTransactionState::Sent,
         {{TRole::To, "<a@senate.example>"}, {TRole::CC, "<b@house.example>"}},
         "250 2.0.0 Ok: queued as A1"},
        {TTransactionState::Sent,
         {{TRole::BCC, "<c@x.example>"}, {TRole::BCC, "<d@y.example>"}},
         "250 2.0.0 Ok: queued as B2"}};
    EXPECT_EQ(m, expected);
}

TEST(SentStoreTest, AFailedSendRecordsHowFarItGot) {
    struct TRow {
        const char* Name;
        TFailedAt At;
        std::size_t SentBefore;
        std::vector<TTransactionState> States;
    };
    const TRow rows[] = {
        {"refused before connecting", TFailedAt::Checking, 0,
         {TTransactionState::Pending, TTransactionState::Pending}},
        {"no connection", TFailedAt::Connecting, 0,
         {TTransactionState::Pending, TTransactionState::Pending}},
        {"second transaction refused", TFailedAt::Sending, 1,
         {TTransactionState::Sent, TTransactionState::Failed}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TTempFolder folder;
        TSentStore store(folder.Path("sent.sqlite"));
        TSendRecord record(&store);
        record.Begin(SplitStart(1700000000));
        for (std::size_t n = 1; n <= row.SentBefore; ++n) {
            record.TransactionSent(n, "250 Ok");
        }
        record.Failed(row.At, "550 5.1.1 <c@x.example>: Recipient address rejected");
        EXPECT_EQ(record.Problem(), "");

        const TSentSummary summary = store.Search("").at(0);
        EXPECT_EQ(ResultText(summary), "Failed");
        EXPECT_EQ(summary.Done, row.SentBefore);
        const TSentMessage m = store.Read(summary.Id);
        EXPECT_EQ(m.State, TSendState::Failed);
        EXPECT_EQ(m.FailedAt, row.At);
        EXPECT_EQ(m.Failure, "550 5.1.1 <c@x.example>: Recipient address rejected");
        ASSERT_EQ(m.Transactions.size(), row.States.size());
        for (std::size_t i = 0; i < row.States.size(); ++i) {
            EXPECT_EQ(m.Transactions[i].State, row.States[i]) << "transaction " << i + 1;
        }
    }
}

TEST(SentStoreTest, SearchesRecipientsSubjectAndTextNewestFirst) {
    TTempFolder folder;
    TSentStore store(folder.Path("sent.sqlite"));
    TMailStart older = SplitStart(1000);
    TMailStart newer = SplitStart(2000);
    newer.Fields.Subject = "Water rates: 100% up";
    newer.Fields.Text = "Dear Senator, the Harbor-Fund ...";
    newer.Transactions = {{{TRole::To, "<smith@senate.example>"}}};
    const std::int64_t olderId = store.BeginMail(older);
    const std::int64_t newerId = store.BeginMail(newer);
    const std::int64_t formsId = store.BeginWebForms({1500, "me@example.org", "Roads", "Fix it"});
    store.AddOfficial(formsId, {"Rep. Ann Jones", "https://jones.example/contact",
                                TFormOutcome::Filled});
    store.AddOfficial(formsId, {"Rep. Bo Lee", "https://lee.example/contact",
                                TFormOutcome::Skipped});
    store.WebFormsEnded(formsId);

    const struct {
        const char* Query;
        std::vector<std::int64_t> Ids;
    } rows[] = {
        {"", {newerId, formsId, olderId}},
        {"   ", {newerId, formsId, olderId}},
        {"budget", {olderId}},                     // subject, any letter case
        {"VOTE NO", {olderId}},                    // every word, in the text
        {"vote smith", {}},                        // words in different messages
        {"senate.example", {newerId, olderId}},    // recipient addresses
        {"d@y", {olderId}},                        // a BCC of the second transaction
        {"100%", {newerId}},                       // LIKE's wildcards taken literally
        {"harbor_fund", {}},
        {"harbor-fund", {newerId}},
        {"jones", {formsId}},                      // an official of a web-form letter
        {"Name:", {}},                             // the contact block is not searched
    };
    for (const auto& row : rows) {
        std::vector<std::int64_t> ids;
        for (const TSentSummary& s : store.Search(row.Query)) {
            ids.push_back(s.Id);
        }
        EXPECT_EQ(ids, row.Ids) << "query \"" << row.Query << "\"";
    }
    EXPECT_EQ(store.Search("", 2).size(), 2u);

    const TSentSummary forms = store.Search("roads").at(0);
    EXPECT_EQ(forms.Recipients, "Rep. Ann Jones, Rep. Bo Lee");
    EXPECT_EQ(ResultText(forms), "Web forms: 1 of 2 filled");
    const TSentSummary split = store.Search("budget").at(0);
    EXPECT_EQ(split.Recipients, "<a@senate.example>, <b@house.example>, <c@x.example>");
    EXPECT_EQ(split.RecipientCount, 4u);
    EXPECT_EQ(ResultText(split), "Unfinished");
}

TEST(SentStoreTest, AWebFormWalkRecordsEachOfficialAsFilledSkippedOrStopped) {
    using qv::webforms::TFormWalk;
    const struct {
        const char* Name;
        std::vector<void (TFormWalk::*)()> Steps;
        std::vector<TFormOutcome> Outcomes;
    } rows[] = {
        {"next, skip, stop", {&TFormWalk::Next, &TFormWalk::Skip, &TFormWalk::Stop},
         {TFormOutcome::Filled, TFormOutcome::Skipped, TFormOutcome::Stopped}},
        {"through to the end",
         {&TFormWalk::Next, &TFormWalk::Skip, &TFormWalk::Next, &TFormWalk::Next},
         {TFormOutcome::Filled, TFormOutcome::Skipped, TFormOutcome::Filled,
          TFormOutcome::Filled}},
        {"stopped at once", {&TFormWalk::Stop}, {TFormOutcome::Stopped}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TTempFolder folder;
        TSentStore store(folder.Path("sent.sqlite"));
        qv::webforms::TWalkMarks marks;
        marks.SetMark("h/2", qv::webforms::TWalkMark::Skipped);  // from an earlier walk
        TFormWalk walk({{"s/1", "Sen. Ann A", "https://a.example/contact"},
                        {"h/2", "Rep. Bo B", "https://b.example/contact"},
                        {"h/3", "Rep. Cy C", "https://c.example/contact"},
                        {"h/4", "Rep. Di D", "https://d.example/contact"}},
                       marks);
        TWebFormRecord record(&store);
        record.Begin({1700000000, "me@example.org", "Roads", "Fix the roads."});
        record.Follow(walk, marks);
        EXPECT_EQ(store.Search("").at(0).State, TSendState::Sending);
        for (auto step : row.Steps) {
            (walk.*step)();
            record.Follow(walk, marks);
        }
        record.Follow(walk, marks);  // a second signal records nothing twice
        EXPECT_EQ(record.Problem(), "");

        const TSentMessage m = store.Read(store.Search("").at(0).Id);
        EXPECT_EQ(m.Kind, TMessageKind::WebForms);
        EXPECT_EQ(m.State, TSendState::Sent);
        EXPECT_EQ(m.Body, "Fix the roads.");
        std::vector<TFormOutcome> outcomes;
        for (const TFormOfficial& official : m.Officials) {
            outcomes.push_back(official.Outcome);
        }
        EXPECT_EQ(outcomes, row.Outcomes);
        EXPECT_EQ(m.Officials.at(0), (TFormOfficial{"Sen. Ann A", "https://a.example/contact",
                                                    row.Outcomes[0]}));
    }
}

// A writer killed at any moment leaves the record it had before its last
// change: every action written has all of its transactions and recipients.
TEST(SentStoreTest, AWriterKilledMidTransactionLeavesTheRecordConsistent) {
    TTempFolder folder;
    const std::string path = folder.Path("sent.sqlite");
    { TSentStore create(path); }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        try {
            TSentStore store(path);
            TMailStart start = SplitStart(1);
            start.Transactions.assign(20,
                                      std::vector<TRecipient>(25, {TRole::BCC, "<x@y.example>"}));
            for (int n = 0;; ++n) {
                const std::int64_t id = store.BeginMail(start);
                store.TransactionSent(id, 1, "250 Ok");
                if (n == 5) {
                    (void)!::write(ready[1], "r", 1);
                }
            }
        } catch (...) {
        }
        ::_exit(1);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    TSentStore store(path);
    EXPECT_EQ(store.SetAsidePath(), "");
    const std::vector<TSentSummary> all = store.Search("");
    ASSERT_GE(all.size(), 6u);
    for (const TSentSummary& s : all) {
        EXPECT_EQ(s.Transactions, 20u);
        EXPECT_EQ(s.RecipientCount, 500u);
    }
    // Still writable after the crash.
    EXPECT_NO_THROW(store.BeginMail(SplitStart(2)));
}

TEST(SentStoreTest, ADamagedFileIsSetAsideUnderANewNameAndAFreshRecordStarted) {
    struct TRow {
        const char* Name;
        std::function<void(const std::string&)> Damage;
    };
    auto overwrite = [](std::uintmax_t offset, const std::string& bytes) {
        return [=](const std::string& path) {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(offset));
            file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        };
    };
    const TRow rows[] = {
        {"not a database at all",
         [](const std::string& path) { std::ofstream(path) << "Dear Senator,\n"; }},
        {"header scribbled over", overwrite(0, std::string(100, 'x'))},
        {"a table page scribbled over", overwrite(4096 * 2, std::string(4096, '\x5a'))},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TTempFolder folder;
        const std::string path = folder.Path("sent.sqlite");
        {
            TSentStore store(path);
            for (int i = 0; i < 20; ++i) {
                store.BeginMail(SplitStart(i));
            }
        }
        RawExec(path, "PRAGMA wal_checkpoint(TRUNCATE)");
        row.Damage(path);
        const std::string damaged = ReadFile(path);

        TSentStore store(path);
        ASSERT_NE(store.SetAsidePath(), "");
        EXPECT_EQ(fs::path(store.SetAsidePath()).parent_path(), fs::path(path).parent_path());
        EXPECT_EQ(fs::path(store.SetAsidePath()).filename().string().rfind("sent.sqlite.damaged-", 0),
                  0u);
        EXPECT_EQ(ReadFile(store.SetAsidePath()), damaged);  // kept byte for byte
        EXPECT_TRUE(store.Search("").empty());
        store.BeginMail(SplitStart(1));
        EXPECT_EQ(store.Search("").size(), 1u);
    }
}

TEST(SentStoreTest, OpeningReportsWhatItCannotUseAndChangesNothing) {
    TTempFolder folder;
    const std::string inPlace = folder.Path("folder/sent.sqlite");
    fs::create_directories(inPlace);
    try {
        TSentStore store(inPlace);
        ADD_FAILURE() << "opened a folder";
    } catch (const ESentOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to open the record of sent messages " +
                                                 inPlace + ": a folder stands in its place");
    }
    EXPECT_TRUE(fs::is_directory(inPlace));

    const std::string newer = folder.Path("newer.sqlite");
    { TSentStore create(newer); }
    RawExec(newer, "PRAGMA user_version = 99");
    EXPECT_THROW(TSentStore{newer}, ESentOpenError);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()),
              2) << "nothing set aside";
}

TEST(SentStoreTest, AFailedWriteIsReportedAfterwardsAndNeverRaisedIntoTheSend) {
    TTempFolder folder;
    const std::string path = folder.Path("sent.sqlite");
    TSentStore store(path);
    TSendRecord record(&store);
    record.Begin(SplitStart(1));

    // Another program holds the write lock for longer than the store waits.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_NO_THROW(record.TransactionSent(1, "250 Ok"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    record.Sent();
    EXPECT_EQ(record.Problem(),
              "Unable to write to the record of sent messages: database is locked");
    EXPECT_EQ(record.TransactionsSent(), 1u);
    EXPECT_EQ(store.Search("").at(0).State, TSendState::Sent);  // later steps still recorded

    TSendRecord closed(nullptr);  // the record could not be opened at all
    closed.Begin(SplitStart(1));
    closed.Failed(TFailedAt::Connecting, "x");
    EXPECT_EQ(closed.Problem(), "");
}

}  // namespace
