// The list update procedure against real HTTP servers (Python's http.server)
// and tinyproxy on loopback, with archives made by qvtool pack.
#include "update/list_updater.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <optional>

#include "lists/official_list.h"
#include "support/http_test_servers.h"
#include "support/update_site.h"

namespace {

using namespace qv;
using qvtest::HttpTestServer;
using qvtest::kNewLeaders;
using qvtest::kNewSenate;
using qvtest::kSameDates;
using Strings = std::vector<std::string>;

constexpr TDate Ymd(int y, unsigned m, unsigned d) {
    return TDate{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

TEST(DatesFileTest, SplitsLinesAndKeepsTheDateOfALineThatDoesNotConvert) {
    struct Row {
        const char* text;
        std::array<std::string, 5> lines;
        Strings warnings;
    };
    const Row rows[] = {
        {"1/2/2001\r\n2/3/2002\n3/4/2003\r4/5/2004\r\n5/6/2005\r\n",
         {"1/2/2001", "2/3/2002", "3/4/2003", "4/5/2004", "5/6/2005"},
         {}},
        // The last line counts without a line end.
        {"1/2/2001\n2/3/2002\n3/4/2003\n4/5/2004\n7/17/2000",
         {"1/2/2001", "2/3/2002", "3/4/2003", "4/5/2004", "7/17/2000"},
         {}},
        // LF CR is two line ends; lines after the fifth are ignored.
        {"1/2/2001\n\r2/3/2002\n3/4/2003\n4/5/2004\n5/6/2005\n",
         {"1/2/2001", "", "2/3/2002", "3/4/2003", "4/5/2004"},
         {"Error converting House Web Date"}},
        {"1/2/2001\r\nsoon\r\n",
         {"1/2/2001", "soon", "", "", ""},
         {"Error converting House Web Date", "Error converting Leader Web Date",
          "Error converting World Parliaments Web Date", "Error converting Misc. Web Date"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(DatesFileLines(row.text), row.lines);
        TServerDates dates;
        dates.fill(Ymd(1990, 1, 1));
        EXPECT_EQ(ParseDatesFile(row.text, dates), row.warnings);
        EXPECT_EQ(dates[0], Ymd(2001, 1, 2));
        EXPECT_EQ(dates[1] == Ymd(1990, 1, 1), !row.warnings.empty());
    }
}

class ListUpdaterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SenateList.Clear();
        HouseList.Clear();
        LeaderList.Clear();
    }

    void Make(const std::string& server, const std::string& mirror, THttpTlsOptions tls = {}) {
        updater = std::make_unique<TListUpdater>(
            site.ProgramDir(), TUpdateServers{{server, mirror}, site.TrustedKeys(), tls}, settings,
            [this] { ++saves; });
        updater->OnStatus = [this](const std::string& text) { statuses.push_back(text); };
        updater->OnWarning = [this](const std::string& text) { warnings.push_back(text); };
        updater->OnCheckDone = [this](TCheckOutcome outcome) { checked = outcome; };
        updater->OnRunDone = [this](TRunOutcome outcome) { ran = outcome; };
    }
    void Make(const HttpTestServer& server, const HttpTestServer& mirror) {
        Make(server.Url("/"), mirror.Url("/"));
    }

    std::optional<TCheckOutcome> Check() {
        checked.reset();
        updater->StartCheck();
        EXPECT_TRUE(QTest::qWaitFor([this] { return checked.has_value(); }, 30000));
        return checked;
    }
    std::optional<TRunOutcome> Run() {
        ran.reset();
        updater->StartDownload();
        EXPECT_TRUE(QTest::qWaitFor([this] { return ran.has_value(); }, 60000));
        return ran;
    }
    // Tinyproxy on `port` asks for alice:secret.
    void UseProxy(int port, bool withCredentials) {
        settings.UseProxy = true;
        settings.ProxyHost = "127.0.0.1";
        settings.ProxyPort = port;
        settings.UseProxyAuthorization = withCredentials;
        settings.ProxyUsername = "alice";
        settings.ProxyPassword = "secret";
    }
    bool Saw(const std::string& status) const {
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }
    // What a failed or aborted run must leave: the lists and their dates as
    // they were, no settings written, no work files.
    void ExpectNothingInstalled() {
        EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
        EXPECT_EQ(settings.Senate, TSettings{}.Senate);
        EXPECT_EQ(SenateList.RowCount(), 0);
        EXPECT_EQ(saves, 0);
        EXPECT_EQ(site.ProgramFiles(),
                  (QStringList{"house.dat", "leaders.dat", "legis.dat", "misc.dat", "senate.dat"}));
    }

    qvtest::UpdateSite site;
    TSettings settings;
    int saves = 0;
    Strings statuses, warnings;
    std::optional<TCheckOutcome> checked;
    std::optional<TRunOutcome> ran;
    std::unique_ptr<TListUpdater> updater;
};

TEST_F(ListUpdaterTest, CheckOffersOnlyNewerListsAndNothingWhenItFails) {
    HttpTestServer server(site.Server.path());
    struct Row {
        std::string base;
        const char* dates;  // nullptr: no dates file
        TCheckOutcome outcome;
        std::string status;
        Strings memo;
    };
    const Row rows[] = {
        {server.Url("/"), nullptr, TCheckOutcome::Failed, "Failed: 404 File not found", {}},
        {"http://127.0.0.1:" + std::to_string(qvtest::FreeLoopbackPort()) + "/", kSameDates,
         TCheckOutcome::Failed, "Failed: 404 Connection refused (Error #10061)", {}},
        {server.Url("/"), "", TCheckOutcome::Empty, "start", {}},
        {server.Url("/"), kSameDates, TCheckOutcome::Done, "", {}},
        // Senate newer, Misc newer on an unterminated line, the rest equal.
        {server.Url("/"), "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/18/2000",
         TCheckOutcome::Done, "", {kUpdatesAvailableLine, "Senate List", "Misc. Leader List"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        QFile::remove(site.Server.filePath("qndates2.dat"));
        if (row.dates != nullptr) {
            site.PublishDates(site.Server, row.dates);
        }
        statuses = {"start"};
        Make(row.base, server.Url("/"));
        EXPECT_EQ(Check(), row.outcome);
        EXPECT_EQ(updater->AnyUpdate(), !row.memo.empty());
        if (!row.memo.empty()) {
            EXPECT_EQ(updater->MemoLines(), row.memo);
        }
        EXPECT_EQ(statuses.back(), row.status);
        EXPECT_TRUE(warnings.empty());
    }
    EXPECT_EQ(ServerDate[static_cast<std::size_t>(TUpdateList::Misc)], Ymd(2000, 7, 18));
}

TEST_F(ListUpdaterTest, RunInstallsReloadsDatesAndSaves) {
    site.PublishDates(site.Server,
                      "5/1/2001\r\n9/20/1999\r\n1/1/2002\r\n6/1/1999\r\n7/17/2000\r\n");
    site.Publish(site.Server, "senate2.dat", kNewSenate);
    site.Publish(site.Server, "leaders2.dat", kNewLeaders, "temp2.dat", "NON");
    HttpTestServer server(site.Server.path());
    Make(server.Url("/"), "http://127.0.0.1:1/");
    std::vector<TUpdateList> installed;
    updater->OnListInstalled = [&](TUpdateList list, bool dated) {
        EXPECT_TRUE(dated);
        installed.push_back(list);
    };
    ASSERT_EQ(Check(), TCheckOutcome::Done);
    EXPECT_EQ(Run(), TRunOutcome::Completed);

    EXPECT_EQ(installed, (std::vector{TUpdateList::Senate, TUpdateList::Leaders}));
    EXPECT_EQ(site.ProgramFile("senate.dat"), kNewSenate);
    EXPECT_EQ(site.ProgramFile("leaders.dat"), kNewLeaders);
    EXPECT_EQ(SenateList.RowCount(), 3);
    EXPECT_EQ(LeaderList.RowCount(), 2);
    EXPECT_EQ(settings.Senate, Ymd(2001, 5, 1));
    EXPECT_EQ(settings.Leaders, Ymd(2002, 1, 1));
    EXPECT_EQ(settings.House, TSettings{}.House);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(updater->ServerIndex(), 0u);
    EXPECT_TRUE(Saw("Loading Senate List.") && Saw("Loading World Leaders List."));
    EXPECT_TRUE(Saw("Received " +
                    std::to_string(QFileInfo(site.Server.filePath("senate2.dat")).size()) +
                    " bytes"));
    // The downloaded archive stays; nothing else is left beside the lists.
    EXPECT_EQ(QDir(site.Program.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"house.dat", "leaders.dat", "legis.dat", "misc.dat", "senate.dat",
                           "temp.dat"}));
}

// The update server fails a list in one way or another; the mirror serves it
// and, once it has, the rest of the run.
TEST_F(ListUpdaterTest, MirrorServesWhatTheUpdateServerCannotAndTheRestOfTheRun) {
    site.PublishDates(site.Server,
                      "5/1/2001\r\n1/1/2002\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    // The update server lacks the Senate archive and has a House archive
    // that must not be used once the mirror has taken over.
    site.Publish(site.Server, "house2.dat", "5 0\r\n");
    const std::string newHouse = std::string(list_files::House) + "AK,1,D,Two,none,none\r\n";
    site.Publish(site.Mirror, "senate2.dat", kNewSenate);
    site.Publish(site.Mirror, "house2.dat", newHouse);
    HttpTestServer mirror(site.Mirror.path());
    const struct {
        const char* path;
        bool downAfterCheck;
        std::string status;
    } rows[] = {
        {"/", false, "Failed : 404 File not found"},
        {"/", true, "Failed : 404 Connection refused (Error #10061)"},
        {"/stall/", false, "Failed : 404 Connection timed out (Error #10060)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        list_files::WriteAll(site.Program.path());
        settings = TSettings{};
        statuses.clear();
        auto server = std::make_unique<HttpTestServer>(site.Server.path());
        Make(server->Url(row.path), mirror.Url("/"));
        updater->SetIdleLimit(std::chrono::milliseconds(300));
        ASSERT_EQ(Check(), TCheckOutcome::Done);
        if (row.downAfterCheck) {
            server.reset();
        }
        EXPECT_EQ(Run(), TRunOutcome::Completed);
        EXPECT_EQ(updater->ServerIndex(), 1u);
        EXPECT_TRUE(Saw(row.status));
        EXPECT_EQ(site.ProgramFile("senate.dat"), kNewSenate);
        EXPECT_EQ(site.ProgramFile("house.dat"), newHouse);
        EXPECT_TRUE(warnings.empty());
    }
}

TEST_F(ListUpdaterTest, ArchiveWithoutTheListEntryWarnsAndStillDatesTheUnchangedList) {
    site.PublishDates(site.Server,
                      "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    site.Publish(site.Server, "senate2.dat", kNewSenate, "other.dat");
    HttpTestServer server(site.Server.path());
    Make(server.Url("/"), "http://127.0.0.1:1/");
    ASSERT_EQ(Check(), TCheckOutcome::Done);
    EXPECT_EQ(Run(), TRunOutcome::Completed);
    EXPECT_EQ(warnings, (Strings{"File copy failed: ", "File deletion failed: "}));
    EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
    EXPECT_EQ(settings.Senate, Ymd(2001, 5, 1));
}

TEST_F(ListUpdaterTest, ListFailingOnBothServersWarnsAndInstallsNothing) {
    struct Row {
        const char* dates;
        const char* archive;
        bool corrupt;  // else missing
        std::string warning;
    };
    const Row rows[] = {
        {"5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n", "senate2.dat", true,
         "Error decompressing file: Senate"},
        {"5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n", "senate2.dat", false,
         "Error receiving list: 404:File not found"},
        {"5/1/1999\r\n1/1/2002\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n", "house2.dat", false,
         "Error receiving list: File not found"},
    };
    HttpTestServer server(site.Server.path());
    HttpTestServer mirror(site.Mirror.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.warning);
        site.PublishDates(site.Server, row.dates);
        for (const QTemporaryDir* folder : {&site.Server, &site.Mirror}) {
            QFile::remove(folder->filePath(row.archive));
            if (row.corrupt) {
                site.PublishBytes(*folder, row.archive, "this is text, not an archive");
            }
        }
        warnings.clear();
        Make(server, mirror);
        ASSERT_EQ(Check(), TCheckOutcome::Done);
        EXPECT_EQ(Run(), TRunOutcome::Failed);
        EXPECT_EQ(warnings, Strings{row.warning});
        ExpectNothingInstalled();
    }
}

TEST_F(ListUpdaterTest, ArchiveWithoutAGoodSignatureIsNeverExpanded) {
    site.PublishDates(site.Server,
                      "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    HttpTestServer server(site.Server.path());
    const QString archive = site.Server.filePath("senate2.dat");
    const std::function<void()> spoil[] = {
        [&] {  // a changed byte
            std::string bytes = qvtest::ReadFile(archive);
            bytes[bytes.size() / 2] ^= 1;
            qvtest::WriteFile(archive, bytes);
        },
        [&] { QFile::remove(archive + ".sig"); },
        [&] {  // signed by a key the program does not trust
            qvtest::Qvtool({"pack", "--sign", site.OtherSecretFile(), archive,
                            site.Program.filePath("senate.dat")});
        },
        [&] {  // the House archive, signed as such, served as the Senate's
            site.Publish(site.Server, "house2.dat", kNewSenate);
            QFile::remove(archive);
            QFile::remove(archive + ".sig");
            QFile::rename(site.Server.filePath("house2.dat"), archive);
            QFile::rename(site.Server.filePath("house2.dat.sig"), archive + ".sig");
        },
    };
    for (std::size_t i = 0; i < std::size(spoil); ++i) {
        SCOPED_TRACE(i);
        QFile::remove(archive + ".sig");
        site.Publish(site.Server, "senate2.dat", kNewSenate);
        spoil[i]();
        warnings.clear();
        Make(server, server);
        ASSERT_EQ(Check(), TCheckOutcome::Done);
        EXPECT_EQ(Run(), TRunOutcome::Failed);
        EXPECT_EQ(warnings, Strings{"Error decompressing file: Senate\n"
                                    "The signature of the Senate list did not verify."});
        EXPECT_TRUE(Saw("Signature did not verify: senate2.dat"));
        ExpectNothingInstalled();
    }
}

TEST_F(ListUpdaterTest, AbortDuringADownloadRecordsNothing) {
    site.PublishDates(site.Server,
                      "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    std::string large(8 * 1024 * 1024, 'x');
    site.Publish(site.Server, "senate2.dat", large, "temp2.dat", "NON");
    HttpTestServer server(site.Server.path());
    Make(server.Url("/"), server.Url("/"));
    ASSERT_EQ(Check(), TCheckOutcome::Done);
    updater->OnStatus = [this](const std::string& text) {
        if (text.find(" Of ") != std::string::npos) {
            updater->Abort();
        }
    };
    EXPECT_EQ(Run(), TRunOutcome::Aborted);
    EXPECT_TRUE(warnings.empty());
    ExpectNothingInstalled();
}

TEST_F(ListUpdaterTest, PlainAndHttpsDirectlyAndThroughTinyproxyWithATrustedCertificateOnly) {
    qvtest::TestCertificate certificate;
    site.PublishDates(site.Server,
                      "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    site.Publish(site.Server, "senate2.dat", kNewSenate);
    HttpTestServer plain(site.Server.path());
    HttpTestServer secure(site.Server.path(), &certificate);
    qvtest::TinyProxy proxy("alice", "secret");
    const THttpTlsOptions trusted{ReadCertificates({certificate.CertFile().toStdString()})};
    const std::string byName = "https://localhost:" + std::to_string(secure.Port()) + "/";
    const struct {
        std::string base;
        std::optional<bool> proxyCredentials;  // nullopt: no proxy
        THttpTlsOptions tls;
        std::string failure;  // the start of the check's status; empty: installs
    } rows[] = {
        {plain.Url("/"), true, trusted, ""},
        {secure.Url("/"), std::nullopt, trusted, ""},
        {secure.Url("/"), true, trusted, ""},
        // The proxy's refusal of the tunnel is the check's failure.
        {secure.Url("/"), false, trusted, "Failed: 407 Proxy Authentication Required"},
        {secure.Url("/"), std::nullopt, {}, "Failed: 404 Secure connection failed: "},
        {byName, std::nullopt, trusted, "Failed: 404 Secure connection failed: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.base + (row.proxyCredentials ? " through the proxy" : "") + row.failure);
        list_files::WriteAll(site.Program.path());
        settings = TSettings{};
        if (row.proxyCredentials) {
            UseProxy(proxy.Port(), *row.proxyCredentials);
        }
        Make(row.base, row.base, row.tls);
        if (!row.failure.empty()) {
            EXPECT_EQ(Check(), TCheckOutcome::Failed);
            EXPECT_EQ(updater->Status().rfind(row.failure, 0), 0u) << updater->Status();
            continue;
        }
        ASSERT_EQ(Check(), TCheckOutcome::Done);
        EXPECT_EQ(Run(), TRunOutcome::Completed);
        EXPECT_EQ(settings.Senate, Ymd(2001, 5, 1));
        EXPECT_EQ(site.ProgramFile("senate.dat"), kNewSenate);
    }
}

}  // namespace
