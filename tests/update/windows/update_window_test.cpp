// The update window over the main window, with real widgets (offscreen) and
// real HTTP servers on loopback.
#include "update/windows/update_window.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <memory>

#include "app/app_state.h"
#include "app/main_window.h"
#include "settings/settings.h"
#include "support/fake_browser.h"
#include "support/fake_dialogs.h"
#include "support/http_test_servers.h"
#include "support/update_site.h"

namespace {

using qvtest::HttpTestServer;

const char* const kSenateNewer = "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n";

// Counts the times a widget is shown.
class ShowCounter : public QObject {
  public:
    int Shown = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        Shown += event->type() == QEvent::Show ? 1 : 0;
        return false;
    }
};

class UpdateWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Config.isValid());
        qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        ProgramDirectory = site.ProgramDir();
        frmMain =
            std::make_unique<TfrmMain>(Dialogs, TFirstRunRequest{}, TFakeBrowser::Factory(&Browser),
                                       TScreenInfo{32, {1024, 768}});
    }

    // Given a list directory, the server is its own mirror; else no mirror answers.
    TfrmUpdate* Open(const HttpTestServer& server, bool manual, const char* path = nullptr) {
        ManualCheck = manual;
        const std::string base = server.Url(path != nullptr ? path : "/");
        frmMain->frmUpdate = new TfrmUpdate(
            frmMain.get(), Dialogs, site.ProgramDir(),
            {{base, path != nullptr ? base : "http://127.0.0.1:1/"}, site.TrustedKeys(), {}});
        return frmMain->frmUpdate;
    }

    std::string IniPath() const { return Config.path().toStdString() + "/quorvane/quorvane.ini"; }

    // The window deletes itself once closed.
    bool WaitClosed() {
        return QTest::qWaitFor([this] { return frmMain->frmUpdate.isNull(); }, 30000);
    }

    QTemporaryDir Config;
    qvtest::UpdateSite site;
    TFakeDialogs Dialogs;
    TFakeBrowser* Browser = nullptr;
    std::unique_ptr<TfrmMain> frmMain;
};

TEST(UpdateWindowPlacement, CentredOverTheMainWindowUnlessThatPassesTheScreensEdge) {
    const QSize window(299, 192);
    const QSize screen(1024, 768);
    EXPECT_EQ(PlaceOverMainWindow({100, 50, 640, 410}, window, screen), QPoint(271, 159));
    // Centring would end past the right edge: the main window's left edge.
    EXPECT_EQ(PlaceOverMainWindow({800, 50, 640, 410}, window, screen), QPoint(800, 159));
    EXPECT_EQ(PlaceOverMainWindow({100, 600, 640, 410}, window, screen), QPoint(271, 600));
}

TEST_F(UpdateWindowTest, ManualCheckOffersThenInstallsFromTheKeyboard) {
    site.PublishDates(site.Server, kSenateNewer);
    site.Publish(site.Server, "senate2.dat", qvtest::kNewSenate);
    HttpTestServer server(site.Server.path());
    TfrmUpdate* w = Open(server, true);
    EXPECT_EQ(w->windowTitle(), "Updater");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Label2->text(), "Checking server for list updates...");
    EXPECT_TRUE(w->btnAbort->isVisible());
    EXPECT_FALSE(w->btnOK->isVisible());

    ASSERT_TRUE(QTest::qWaitFor([w] { return w->btnOK->isVisible(); }, 30000));
    EXPECT_EQ(w->Memo1->toPlainText(),
              "Updates are available for the following lists: \nSenate List");
    EXPECT_EQ(w->Label2->text(), "Would you like to update these lists now?");
    EXPECT_TRUE(w->btnCancel->isVisible());
    EXPECT_FALSE(w->btnAbort->isVisible());
    EXPECT_EQ(w->lblStatus->text(), "");
    EXPECT_FALSE(frmMain->isEnabled());
    EXPECT_TRUE(w->isEnabled());

    QTest::keyClick(w->btnOK, Qt::Key_Space);
    ASSERT_TRUE(WaitClosed());
    EXPECT_TRUE(frmMain->isEnabled());
    EXPECT_EQ(site.ProgramFile("senate.dat"), qvtest::kNewSenate);
    EXPECT_NE(qvtest::ReadFile(QString::fromStdString(SettingsFilePath())).find("Senate=5/1/2001"),
              std::string::npos);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty()) << Dialogs.Warnings.join("|").toStdString();
}

TEST_F(UpdateWindowTest, NothingNewerHidesTheAutomaticCheckAndAnswersTheManualOne) {
    site.PublishDates(site.Server, qvtest::kSameDates);
    HttpTestServer server(site.Server.path());

    ShowCounter counter;
    Open(server, false)->installEventFilter(&counter);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(counter.Shown, 0);

    TfrmUpdate* w = Open(server, true);
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->btnOKclose->isVisible(); }, 30000));
    EXPECT_EQ(w->Memo1->toPlainText(), "No updates are presently available.");
    EXPECT_EQ(w->Label2->text(), "");
    EXPECT_FALSE(w->btnAbort->isVisible() || w->btnOK->isVisible());
    EXPECT_TRUE(frmMain->isEnabled());
    w->btnOKclose->click();
    EXPECT_TRUE(WaitClosed());
}

// A download run that fails on both servers, each time in another way: the
// window shows the updater's warning for the list, closes and gives the
// main window back, and every list file, the settings file and the dates in
// memory stay as they were; nothing of the run is left in the program folder
// but what was there before.
TEST_F(UpdateWindowTest, FaultsDuringARunLoseNothing) {
    const std::string archive = [this] {
        site.Publish(site.Mirror, "senate2.dat", qvtest::kNewSenate);
        return qvtest::ReadFile(site.Mirror.filePath("senate2.dat"));
    }();
    const struct {
        const char* fault;
        const char* path;       // the servers' list directory
        bool signedTruncation;  // the publisher signed a truncated archive
        bool blockExpansion;    // a folder stands where the archive's entry goes
        QString warning;        // the start of the one warning
    } rows[] = {
        {"server drops in the middle of the body", "/drop-half/", false, false,
         "Error decompressing file: Senate\nThe signature of the Senate list did not verify."},
        {"server sends half the archive", "/truncated/", false, false,
         "Error decompressing file: Senate\nThe signature of the Senate list did not verify."},
        {"truncated archive, signed", "/", true, false, "Error decompressing file: Senate"},
        {"server stalls", "/stall/", false, false, "Error receiving list: "},
        {"expansion cannot write its file", "/", false, true, "Error decompressing file: Senate"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        site.PublishDates(site.Server, kSenateNewer);
        if (row.signedTruncation) {
            site.PublishBytes(site.Server, "senate2.dat", archive.substr(0, archive.size() / 2));
        } else {
            site.Publish(site.Server, "senate2.dat", qvtest::kNewSenate);
        }
        const QString blocker = site.Program.filePath("temp2.dat");
        if (row.blockExpansion) {
            ASSERT_TRUE(QDir().mkpath(blocker));
            qvtest::WriteFile(blocker + "/keep.txt", "kept");
        }
        const QStringList programFiles = site.ProgramFiles();
        const std::string settingsFile = qvtest::ReadFile(QString::fromStdString(IniPath()));
        HttpTestServer server(site.Server.path());
        TfrmUpdate* w = Open(server, false, row.path);
        w->Updater().SetIdleLimit(std::chrono::seconds(1));
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->btnOK->isVisible(); }, 30000));
        Dialogs.Warnings.clear();
        w->btnOK->click();
        ASSERT_TRUE(WaitClosed());

        ASSERT_EQ(Dialogs.Warnings.size(), 1);
        EXPECT_TRUE(Dialogs.Warnings[0].startsWith(row.warning))
            << Dialogs.Warnings[0].toStdString();
        EXPECT_TRUE(frmMain->isEnabled());
        EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
        EXPECT_EQ(site.ProgramFile("house.dat"), list_files::House);
        EXPECT_EQ(site.ProgramFile("legis.dat"), list_files::Legis);
        EXPECT_EQ(site.ProgramFiles(), programFiles);
        EXPECT_EQ(qvtest::ReadFile(QString::fromStdString(IniPath())), settingsFile);
        EXPECT_EQ(Settings.Senate, TSettings{}.Senate);
        if (row.blockExpansion) {
            EXPECT_EQ(qvtest::ReadFile(blocker + "/keep.txt"), "kept");
            QDir(blocker).removeRecursively();
        }
    }
}

// A run that installs its list but cannot write the settings file (a folder
// stands in its place): the settings' message, the list in place, and the
// folder with what it holds untouched.
TEST_F(UpdateWindowTest, UnwritableSettingsFileAtTheEndOfARunIsShown) {
    site.PublishDates(site.Server, kSenateNewer);
    site.Publish(site.Server, "senate2.dat", qvtest::kNewSenate);
    HttpTestServer server(site.Server.path());
    TfrmUpdate* w = Open(server, false);
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->btnOK->isVisible(); }, 30000));
    const QString ini = QString::fromStdString(IniPath());
    ASSERT_TRUE(QFile::remove(ini));
    ASSERT_TRUE(QDir().mkpath(ini));
    qvtest::WriteFile(ini + "/keep.txt", "kept");
    w->btnOK->click();
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Dialogs.Warnings, QStringList{"Unable to write to " + ini});
    EXPECT_TRUE(frmMain->isEnabled());
    EXPECT_EQ(site.ProgramFile("senate.dat"), qvtest::kNewSenate);
    EXPECT_EQ(qvtest::ReadFile(ini + "/keep.txt"), "kept");
}

TEST_F(UpdateWindowTest, ClosingTheProgramDuringADownloadEndsItAndRecordsNothing) {
    site.PublishDates(site.Server, kSenateNewer);
    site.Publish(site.Server, "senate2.dat", std::string(8 * 1024 * 1024, 'x'), "temp2.dat", "NON");
    HttpTestServer server(site.Server.path());
    TfrmUpdate* w = Open(server, false);
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->isVisible(); }, 30000));
    w->btnOK->click();
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->lblStatus->text().contains(" Of "); }, 30000));

    frmMain->close();
    ASSERT_TRUE(WaitClosed());
    EXPECT_TRUE(frmMain->isEnabled());
    EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
    EXPECT_EQ(Settings.Senate, TSettings{}.Senate);
    EXPECT_FALSE(QFile::exists(site.Program.filePath("temp.dat")));
}

}  // namespace
