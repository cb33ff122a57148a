// The compose window through its widgets, sending to a real SMTP server on
// loopback, with message boxes and file dialogs answered by the test.
#include "mail/windows/compose_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "compose_windows.h"
#include "controls/send_progress.h"
#include "error_box.h"
#include "lists/official_list.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/review_window.h"
#include "sent/sent_records.h"
#include "settings/windows/password_window.h"
#include "settings/windows/proxy_window.h"
#include "support/fake_dialogs.h"
#include "support/fake_password_store.h"
#include "support/settings_fixture.h"
#include "support/smtp_test_server.h"

namespace {

using qv::test::SmtpTestServer;
using qv::test::TestCertificate;

QString Addresses(int count, const QString& prefix = "to") {
    QStringList entries;
    for (int i = 1; i <= count; ++i)
        entries.append(QString("<%1%2@example.org>").arg(prefix).arg(i));
    return entries.join(';');
}

class ComposeWindowTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        Settings.SMTPServer = "127.0.0.1";
        Settings.EmailUser = "jane";
        Settings.ReplyTo = "jane@example.org";
        Main.move(40, 30);
    }

    // A window opened from the review window, set to send to `server` and
    // to keep its sends in `records`.
    TfrmSendMessage* Open(const QString& to, const QString& cc = {}, const QString& bcc = {},
                          const SmtpTestServer* server = nullptr,
                          qv::sent::TSentRecords* records = nullptr) {
        if (server != nullptr)
            Settings.SMTPPort = server->Port();
        TfrmSendMessage* frm = OpenComposeWindow(&Main, Dialogs, Attach, to, cc, bcc, records);
        frm->txtSubject->setText("Hearing");
        frm->Memo1->setPlainText("Please vote no.\nThanks");
        return frm;
    }

    // Presses "Send Message" and waits until the action has ended; the window
    // may be closing then.
    static void Send(TfrmSendMessage* frm) {
        QPointer<TfrmSendMessage> alive(frm);
        frm->BitBtn1->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull() || !alive->Sending(); }, 30000));
    }

    // Runs `step` on the progress window every few milliseconds while it is up.
    static void WhileProgressShows(QTimer& timer, std::function<void(TfrmSendProgress&)> step) {
        QObject::connect(&timer, &QTimer::timeout, [step] {
            if (auto* progress = qobject_cast<TfrmSendProgress*>(QApplication::activeModalWidget()))
                step(*progress);
        });
        timer.start(10);
    }

    TFakeDialogs Dialogs;
    TFakePasswordStore Keyring;
    QWidget Main;  // the compose windows go with it
    TfrmAttach Attach{&Main, Dialogs};
};

TEST_F(ComposeWindowTest, CreationWarnsOnlyWithoutServerOrUser) {
    const struct {
        std::string Server, User;
        bool Warned;
    } rows[] = {{"", "jane", true}, {"smtp.example.org", "", true}, {"smtp.example.org", "jane", false}};
    for (const auto& row : rows) {
        Settings.SMTPServer = row.Server;
        Settings.EmailUser = row.User;
        Settings.City = "Springfield";
        Settings.UseContact = false;
        Dialogs.Warnings.clear();
        TfrmSendMessage* frm = Open("<a@example.org>");
        EXPECT_EQ(Dialogs.Warnings.size(), row.Warned ? 1 : 0) << row.Server << "/" << row.User;
        EXPECT_EQ(frm->txtFrom->text(), "jane@example.org");
        EXPECT_EQ(frm->txtCity->text(), "Springfield");
        EXPECT_FALSE(frm->chkContact->isChecked());
        EXPECT_EQ(frm->pos(), Main.pos());
        if (row.Warned) {
            frm->BitBtn1Click();  // still refuses to send, and says so again
            EXPECT_EQ(Dialogs.Warnings,
                      QStringList(2, "Warning: Mail settings are not configured.\n"
                                     "Will not be able to send message until settings are "
                                     "finished."));
            EXPECT_FALSE(frm->Sending());  // declined: no settings window, no send
            EXPECT_TRUE(Dialogs.ModalWindows.isEmpty());
        }
    }
}

// The warning's button leads to the connection settings; what is typed
// there is what the window sends with.
TEST_F(ComposeWindowTest, NotConfiguredWarningLeadsToTheConnectionSettings) {
    Settings.SMTPServer.clear();
    Settings.EmailUser.clear();
    Settings.ReplyTo.clear();
    Dialogs.ActionAnswers = {true};
    Dialogs.ModalAnswers.push_back([](QDialog& window) {
        auto* settings = dynamic_cast<TfrmProxy*>(&window);
        EXPECT_NE(settings, nullptr);
        if (settings == nullptr)
            return 0;
        settings->txtSMTP->setText("127.0.0.1");
        settings->txtUser->setText("jane");
        settings->txtReplyTo->setText("jane@example.org");
        settings->btnOK->click();
        return window.result();
    });
    TfrmSendMessage* frm = Open("<a@example.org>");
    EXPECT_EQ(Dialogs.WarningActions, QStringList{"Connection Settings..."});
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Proxy Settings"});
    EXPECT_EQ(Settings.SMTPServer, "127.0.0.1");
    EXPECT_EQ(frm->txtFrom->text(), "jane@example.org");
}

TEST_F(ComposeWindowTest, FirstShowingHidesTheSenderAboveTenEntries) {
    const struct {
        QString To, CC, BCC;
        bool FromGrid, Hidden;
    } rows[] = {
        {Addresses(10), "", "", false, false},
        {Addresses(4), Addresses(4, "cc"), Addresses(3, "bcc"), false, true},
        {"", "", Addresses(10) + ";", false, true},  // a trailing ";" is an entry
        {Addresses(11), "", "", true, false},        // To is set after the showing
    };
    for (const auto& row : rows) {
        TfrmSendMessage* frm =
            row.FromGrid ? OpenComposeWindowTo(&Main, Dialogs, Attach, row.To)
                         : Open(row.To, row.CC, row.BCC);
        EXPECT_EQ(frm->chkHideFrom->isChecked(), row.Hidden) << row.To.toStdString();
        frm->hide();
        frm->show();  // later showings change nothing
        EXPECT_EQ(frm->chkHideFrom->isChecked(), row.Hidden);
    }
}

TEST_F(ComposeWindowTest, EnterInAHeaderFieldMovesOn) {
    TfrmSendMessage* frm = Open("<a@example.org>");
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    frm->txtFrom->setFocus();
    QTest::keyClick(frm->txtFrom, Qt::Key_Return);
    EXPECT_TRUE(frm->txtTo->hasFocus());
    frm->txtSubject->setFocus();
    QTest::keyClick(frm->txtSubject, Qt::Key_Enter);
    EXPECT_FALSE(frm->txtSubject->hasFocus());
    EXPECT_EQ(frm->txtSubject->text(), "Hearing");
}

TEST_F(ComposeWindowTest, BodyAndSenderHeadersByContactBlockAndHideFrom) {
    const std::string text = "Please vote no.\r\nThanks\r\n";
    const struct {
        bool Contact, HideFrom;
        std::string BodyStart;
        bool SenderHeaders;
    } rows[] = {
        {true, false,
         "Name:           Jane Doe\r\nemail:          jane@example.org\r\n"
         "City:           Springfield\r\n\r\n" + text, true},
        {false, true, "email:          jane@example.org\r\n\r\n" + text, false},
        {false, false, text, true},
        {true, true, "Name:           Jane Doe\r\nemail:          jane@example.org\r\n", false},
    };
    for (const auto& row : rows) {
        SmtpTestServer server;
        TfrmSendMessage* frm = Open("<rep@example.org>", {}, {}, &server);
        QPointer<TfrmSendMessage> alive(frm);
        frm->chkContact->setChecked(row.Contact);
        frm->txtName->setText("Jane Doe");
        frm->txtCity->setText("Springfield");
        frm->chkHideFrom->setChecked(row.HideFrom);
        Send(frm);
        ASSERT_TRUE(server.Has(1));
        const std::string raw = server.Raw(1);
        const std::string body = raw.substr(raw.find("\r\n\r\n") + 4);
        EXPECT_EQ(body.substr(0, row.BodyStart.size()), row.BodyStart) << body;
        EXPECT_EQ(server.Lines(1, "header From:").size(), row.SenderHeaders ? 1u : 0u);
        const std::vector<std::string> replyTo = server.Lines(1, "header Reply-To:");
        EXPECT_EQ(replyTo, row.SenderHeaders
                               ? std::vector<std::string>{"header Reply-To: jane@example.org"}
                               : std::vector<std::string>{});
        EXPECT_EQ(server.Lines(1, "mail_from")[0],
                  row.SenderHeaders ? "mail_from jane@example.org" : "mail_from <>");
        EXPECT_EQ(Dialogs.Questions.size(), 1u);
        Dialogs.Questions.clear();
        QApplication::processEvents();
        EXPECT_TRUE(alive.isNull()) << "closed after sending";
    }
    // The details typed in the window are the settings now.
    EXPECT_EQ(Settings.Name, "Jane Doe");
    EXPECT_TRUE(Settings.UseContact);
}

TEST_F(ComposeWindowTest, RecipientsSplitAtTheMaximum) {
    const struct {
        int Max, To, BCC;
        std::vector<std::size_t> ToCounts, BCCCounts;
        bool Asked;
    } rows[] = {
        {5, 2, 2, {2}, {2}, true},               // t + c + b = M - 1
        {5, 2, 3, {2}, {3}, false},              // = M: split sending, no question
        {99, 250, 0, {99, 99, 52}, {0, 0, 0}, false},
    };
    for (const auto& row : rows) {
        SmtpTestServer server;
        Settings.MaxRecipients = row.Max;
        Settings.UseContact = false;
        Dialogs.Questions.clear();
        TfrmSendMessage* frm = Open(Addresses(row.To), {}, Addresses(row.BCC, "bcc"), &server);
        Send(frm);
        for (std::size_t n = 0; n < row.ToCounts.size(); ++n) {
            const int message = static_cast<int>(n) + 1;
            ASSERT_TRUE(server.Has(message)) << row.To << " + " << row.BCC;
            EXPECT_EQ(server.Lines(message, "rcpt to").size(), row.ToCounts[n]);
            EXPECT_EQ(server.Lines(message, "rcpt bcc").size(), row.BCCCounts[n]);
        }
        EXPECT_FALSE(server.Has(static_cast<int>(row.ToCounts.size()) + 1));
        EXPECT_EQ(Dialogs.Questions.size(), row.Asked ? 1u : 0u);
    }
}

TEST_F(ComposeWindowTest, SavedCopyAndLoadHoldOnlyTheMessageText) {
    QTemporaryDir folder;
    SmtpTestServer server;
    TfrmSendMessage* frm = Open("<rep@example.org>", {}, {}, &server);
    frm->txtName->setText("Jane Doe");
    Dialogs.QuestionAnswers = {true};
    Dialogs.SaveAnswers = {folder.filePath("copy")};
    Send(frm);
    ASSERT_TRUE(server.Has(1));
    QFile copy(folder.filePath("copy.txt"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "Please vote no.\nThanks");

    TfrmSendMessage* other = Open({});
    Dialogs.OpenAnswers = {folder.filePath("copy.txt")};
    other->Memo1->clear();
    other->LoadMessage1->trigger();
    EXPECT_EQ(other->Memo1->toPlainText(), "Please vote no.\nThanks");
    // A refused write (a folder in the file's place) warns and asks again.
    QDir(folder.path()).mkdir("taken.txt");
    Dialogs.SaveAnswers = {folder.filePath("taken.txt"), folder.filePath("second.txt")};
    other->btnSaveMessage->click();
    EXPECT_EQ(Dialogs.Warnings.last(), "Unable to write to " + folder.filePath("taken.txt"));
    EXPECT_TRUE(QFile::exists(folder.filePath("second.txt")));
}

// Servers that cannot be reached or fail in the middle of a send action:
// each time the window shows the failure as the compose window's rules say
// (the connection warning, or the failure's own text in the error box),
// stays open with everything the user wrote, keeps the contact details in
// the settings file, and asks no success question. The reply time-out is short so that the two
// silent cases end within seconds; the progress window keeps the program
// answering meanwhile.
TEST_F(ComposeWindowTest, ServerFaultsLoseNothing) {
    const QString connectWarning =
        "Unable to connect to SMTP server.  Check your SMTP server setting in Quorvane and "
        "verify your Internet connection.";
    const struct {
        const char* mode;
        QString warning;
        QString errorBox;
        bool waits;  // the action waits out the time-out, with the progress window up
    } rows[] = {
        {"unreachable", connectWarning, {}, false},  // nothing listens
        {"drop-after-greeting", connectWarning, {}, false},
        {"drop-in-data", {}, "Socket Error #10054\r\nConnection reset by peer.", false},
        {"drop-after-refusal", {}, "550 5.1.1 Recipient address rejected", false},
        {"stop-reading", {}, "Socket Error #10060\r\nConnection timed out.", true},
        {"slow", connectWarning, {}, true},
    };
    // Large enough to fill the socket buffers of a server that stops reading.
    QTemporaryDir folder;
    const QString attachment = folder.filePath("report.txt");
    QFile file(attachment);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(24 * 1024 * 1024, 'r'));
    file.close();

    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        std::optional<qv::test::FaultySmtpServer> server;
        Settings.SMTPPort = 1;
        if (std::string(row.mode) != "unreachable") {
            server.emplace(row.mode);
            ASSERT_NE(server->Port(), 0);
            Settings.SMTPPort = server->Port();
        }
        TfrmSendMessage* frm = Open("<rep@example.org>", {}, "<sen@example.org>");
        frm->SMTP.SetReplyTimeout(std::chrono::seconds(2));
        frm->lbAttach = {attachment};
        frm->txtZip->setText("12345");
        Dialogs.Warnings.clear();
        ErrorBoxTexts().clear();
        int progressSeen = 0;
        QTimer watch;
        WhileProgressShows(watch, [&](TfrmSendProgress&) { ++progressSeen; });
        Send(frm);
        if (row.waits) {
            EXPECT_GT(progressSeen, 10);
        }
        EXPECT_EQ(Dialogs.Warnings,
                  row.warning.isEmpty() ? QStringList{} : QStringList{row.warning});
        EXPECT_EQ(ErrorBoxTexts(),
                  row.errorBox.isEmpty() ? QStringList{} : QStringList{row.errorBox});
        EXPECT_TRUE(frm->isVisible());
        EXPECT_EQ(frm->txtTo->text(), "<rep@example.org>");
        EXPECT_EQ(frm->txtBCC->text(), "<sen@example.org>");
        EXPECT_EQ(frm->txtSubject->text(), "Hearing");
        EXPECT_EQ(frm->Memo1->toPlainText(), "Please vote no.\nThanks");
        EXPECT_EQ(frm->lbAttach, QStringList{attachment});
        EXPECT_NE(ReadFile(IniPath()).find("ZipCode=12345"), std::string::npos);
        EXPECT_TRUE(Dialogs.Questions.isEmpty());
        frm->close();
    }
}

// The settings file cannot take the contact details (a folder stands in its
// place): the action stops before the network with the settings' message in
// the error box, sends nothing, and the window keeps what was written.
TEST_F(ComposeWindowTest, UnwritableSettingsFileStopsTheSendAndKeepsTheMessage) {
    SmtpTestServer server;
    TfrmSendMessage* frm = Open("<rep@example.org>", {}, {}, &server);
    std::filesystem::remove(IniPath());
    std::filesystem::create_directories(IniPath());
    ErrorBoxTexts().clear();
    QTest::mouseClick(frm->BitBtn1, Qt::LeftButton);  // a click's failure goes to the error box
    EXPECT_EQ(ErrorBoxTexts(),
              QStringList{QString::fromStdString("Unable to write to " + IniPath())});
    EXPECT_FALSE(frm->Sending());
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->Memo1->toPlainText(), "Please vote no.\nThanks");
    EXPECT_FALSE(server.Has(1));
}

// Servers that require a login over TLS with a certificate of a private
// trust store: SSL_CERT_FILE stands for the system's store. Refused logins
// and certificates are the client's own tests (smtp_tls_test).
class ComposeAccountTest : public ComposeWindowTest {
  protected:
    void SetUp() override {
        ComposeWindowTest::SetUp();
        local_.emplace(folder_.Path(), "localhost", "DNS:localhost,IP:127.0.0.1");
        ASSERT_TRUE(local_->Made) << "openssl made no certificate";
        ::setenv("SSL_CERT_FILE", local_->Cert.c_str(), 1);
        Settings.EmailUser = "jo";
    }
    void TearDown() override {
        ::unsetenv("SSL_CERT_FILE");
        ComposeWindowTest::TearDown();
    }

    TTempFolder folder_;
    std::optional<TestCertificate> local_;
};

TEST_F(ComposeAccountTest, SendsThroughSecuredServersWithThePasswordOfTheKeyring) {
    const QString noKeyringWarning = QString(kNoKeyringWarning) +
                                     "\n\nThe keyring reported: The name "
                                     "org.freedesktop.secrets was not provided by any .service "
                                     "files";
    const struct {
        const char* Name;
        std::string Mode;  // of the server
        int Security;
        std::optional<std::string> Kept;  // in the keyring; nullopt: no keyring
        std::optional<QString> Typed;     // at the question; nullopt: cancelled
        bool Delivered;
        QStringList Warnings;
    } rows[] = {
        {"STARTTLS and AUTH", "--starttls", 2, "secret", {}, true, {}},
        {"TLS from the start", "--implicit-tls", 3, "secret", {}, true, {}},
        // The user is told once per run that no keyring is available, and
        // asked at each send.
        {"no keyring", "--starttls", 2, std::nullopt, "secret", true, {noKeyringWarning}},
        {"no keyring, asked again", "--starttls", 2, std::nullopt, "secret", true, {}},
        {"no keyring, question cancelled", "--starttls", 2, std::nullopt, std::nullopt, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        SmtpTestServer server({}, {"--auth", "jo:secret", row.Mode, "--cert", local_->Cert,
                                   "--key", local_->Key});
        ASSERT_GT(server.Port(), 0);
        Settings.SMTPSecurity = row.Security;
        Keyring.Available = row.Kept.has_value();
        Keyring.Entries = {{"smtp://jo@127.0.0.1", row.Kept.value_or("")}};
        if (row.Kept == std::nullopt) {
            Dialogs.ModalAnswers.push_back([&row](QDialog& window) {
                auto& ask = dynamic_cast<TfrmMailPassword&>(window);
                EXPECT_EQ(ask.lblPrompt->text(), "&Password of jo on 127.0.0.1:");
                if (!row.Typed)
                    return int(QDialog::Rejected);
                ask.txtPassword->setText(*row.Typed);
                return int(QDialog::Accepted);
            });
        }
        Dialogs.Warnings.clear();
        Dialogs.ModalWindows.clear();
        ErrorBoxTexts().clear();
        TfrmSendMessage* frm = Open("<rep@example.org>", {}, {}, &server);
        QPointer<TfrmSendMessage> alive(frm);
        Send(frm);
        EXPECT_EQ(Dialogs.Warnings, row.Warnings);
        EXPECT_TRUE(ErrorBoxTexts().isEmpty());
        EXPECT_EQ(Dialogs.ModalWindows,
                  row.Kept ? QStringList{} : QStringList{"SMTP Password"});
        EXPECT_EQ(server.Logins(), row.Delivered ? "PLAIN jo ok\n" : "");
        EXPECT_EQ(server.Has(1), row.Delivered);
        if (row.Delivered) {
            EXPECT_EQ(server.Lines(1, "login"), std::vector<std::string>{"login jo"});
            EXPECT_EQ(Dialogs.Questions.size(), 1);
        } else {
            EXPECT_FALSE(alive.isNull()) << "the window stays with its contents";
        }
        Dialogs.Questions.clear();
        delete alive.data();
    }
}

// The only test of a cancel in the middle of a send, through to the server.
TEST_F(ComposeWindowTest, CancelInTheMiddleOfASplitSendKeepsWhatWasSent) {
    SmtpTestServer server({}, {"--stall-after", "1"});  // hangs in the second transaction
    Settings.MaxRecipients = 2;
    TfrmSendMessage* frm = Open(Addresses(5), {}, {}, &server);
    QStringList steps;
    QTimer watch;
    WhileProgressShows(watch, [&](TfrmSendProgress& progress) {
        steps = progress.Steps();
        if (steps.last() == "Sending transaction 2 of 3 (2 recipients)")
            progress.btnCancel->click();
        else if (steps.last().startsWith("Sending cancelled"))
            progress.btnCancel->click();  // now the OK button
    });
    Send(frm);
    EXPECT_EQ(steps, (QStringList{"Connecting to 127.0.0.1...",
                                  "Sending transaction 1 of 3 (2 recipients)",
                                  "Sending transaction 2 of 3 (2 recipients)", "Cancelling...",
                                  "Sending cancelled. Transactions sent: 1 of 3."}));
    EXPECT_EQ(server.Lines(1, "rcpt"),
              (std::vector<std::string>{"rcpt to1@example.org", "rcpt to2@example.org"}));
    EXPECT_FALSE(server.Has(2));
    EXPECT_FALSE(frm->SMTP.Connected());  // the cancel closed the connection
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(Dialogs.Questions.isEmpty());
}

// Sending the attachments is the end-to-end test's and the SMTP integration
// test's.
TEST_F(ComposeWindowTest, AttachmentsAreEditedInTheSharedWindow) {
    QTemporaryDir folder;
    const QString notes = folder.filePath("notes.txt");
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TfrmSendMessage* frm = Open("<rep@example.org>");
    Dialogs.OpenAnswers = {notes, notes, notes};
    Dialogs.ModalAnswers.push_back([&](QDialog& window) {
        EXPECT_FALSE(Attach.btnRemove->isEnabled());
        for (int i = 0; i < 3; ++i)
            Attach.btnAdd->click();
        Attach.ListBox1->setCurrentRow(1);
        Attach.btnRemove->click();
        Attach.BitBtn1->click();
        return window.result();
    });
    frm->AddAttachment1->trigger();
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"File Attachments"});
    EXPECT_EQ(frm->lbAttach, (QStringList{notes, notes}));
    EXPECT_EQ(frm->Panel16->text(), notes + "  " + notes + "  ");

    Dialogs.ModalAnswers.push_back([&](QDialog& window) {
        EXPECT_TRUE(Attach.btnRemove->isEnabled());
        EXPECT_EQ(Attach.ListBox1->count(), 2);
        return window.result();
    });
    frm->AddAttachment1->trigger();
}

TEST_F(ComposeWindowTest, CloseWindowAsksAndCancelDoesNot) {
    TfrmSendMessage* frm = Open("<rep@example.org>");
    QPointer<TfrmSendMessage> alive(frm);
    Dialogs.QuestionAnswers = {false, true};
    frm->CloseWindow1->trigger();
    EXPECT_TRUE(frm->isVisible());
    frm->CloseWindow1->trigger();
    EXPECT_EQ(Dialogs.Questions,
              QStringList(2, "Close window without sending message?"));
    QApplication::processEvents();
    EXPECT_TRUE(alive.isNull());

    frm = Open("<rep@example.org>");
    alive = frm;
    frm->BitBtn2->click();
    QApplication::processEvents();
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(Dialogs.Questions.size(), 2);
}

// The record of sent messages, as the compose window keeps it. What each
// record holds for split, failed and cancelled sends is the record's own
// test (mail_record_test).
TEST_F(ComposeWindowTest, SendMeACopyRidesInTheFirstTransactionAndIsRecorded) {
    SmtpTestServer server;
    QTemporaryDir folder;
    qv::sent::TSentRecords records(folder.filePath("sent.sqlite").toStdString());
    Settings.UseContact = false;
    Settings.MaxRecipients = 2;
    TfrmSendMessage* frm = Open("<a@example.org>;<b@example.org>;<c@example.org>", {}, {},
                                &server, &records);
    frm->chkSendCopy->setChecked(true);
    Send(frm);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
    EXPECT_EQ(server.Lines(1, "rcpt "), (std::vector<std::string>{"rcpt jane@example.org",
                                                                   "rcpt a@example.org",
                                                                   "rcpt b@example.org"}));
    EXPECT_EQ(server.Lines(2, "rcpt "), std::vector<std::string>{"rcpt c@example.org"});
    EXPECT_NE(ReadFile(IniPath()).find("Send Copy=1"), std::string::npos);
    qv::sent::TSentStore& store = *records.Store();
    const qv::sent::TSentMessage sent = store.Read(store.Search("").at(0).Id);
    EXPECT_EQ(sent.State, qv::sent::TSendState::Sent);
    EXPECT_EQ(sent.Fields.Subject, "Hearing");
    EXPECT_EQ(sent.Transactions.size(), 2u);
}

TEST_F(ComposeWindowTest, ARecordThatCannotBeWrittenIsToldAfterTheMessageWentOut) {
    SmtpTestServer server;
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("blocked/sent.sqlite");  // a folder in the file's place
    qv::sent::TSentRecords records(folder.filePath("blocked/sent.sqlite").toStdString());
    QPointer<TfrmSendMessage> frm = Open("<a@example.org>", {}, {}, &server, &records);
    Send(frm);
    EXPECT_TRUE(server.Has(1));
    EXPECT_TRUE(frm.isNull() || !frm->isVisible());  // sent: the window closed
    EXPECT_EQ(Dialogs.Warnings,
              QStringList{"This send could not be kept in Sent Messages. Unable to open the "
                          "record of sent messages " + folder.filePath("blocked/sent.sqlite") +
                          ": a folder stands in its place"});
    EXPECT_EQ(Dialogs.Questions.size(), 1);  // the success question came first
}

TEST(AttachWindowPlacementTest, CentredOverTheComposeWindowWhileItFits) {
    const QSize attach(200, 100);
    const QSize screen(1024, 768);
    const struct {
        QRect Compose;
        QPoint Expected;
    } rows[] = {
        {{100, 50, 601, 400}, {300, 200}},   // halves truncated
        {{500, 50, 524, 400}, {500, 200}},   // right edge reaches the screen's width
        {{100, 600, 400, 400}, {200, 600}},  // would pass the bottom
    };
    for (const auto& row : rows)
        EXPECT_EQ(PlaceAttachWindow(row.Compose, attach, screen), row.Expected) << row.Compose.x();
}

// A letter with placeholders, from the review window to the server: each
// official gets a letter of their own, and an address typed by hand is asked
// about first.
TEST_F(ComposeWindowTest, PersonalLettersFromTheReviewWindow) {
    SenateList.Reset(5);
    SenateList.AppendRow({"OH", "D", "Doe, Jane", "doe@senate.example", "none"});
    HouseList.Reset(6);
    HouseList.AppendRow({"PR", "AL", "D", "Rivera, Luis", "rivera@house.example", "none"});
    SenateSelected = {1};
    HouseSelected = {1};
    PresidentSelected = 0;
    Settings.UseContact = false;
    TfrmGroupEmail review(&Main, Dialogs);
    review.SetAttachWindow(&Attach);
    review.show();
    review.BitBtn2->click();
    ASSERT_EQ(VisibleComposeWindows().size(), 1);
    TfrmSendMessage* frm = VisibleComposeWindows()[0];
    SmtpTestServer server;
    Settings.SMTPPort = server.Port();
    frm->txtSubject->setText("For {Title} {LastName}");
    frm->Memo1->setPlainText("Dear {Title} {Name},\nPlease help {State}.");

    frm->PageControl1->setCurrentWidget(frm->memPreview);
    EXPECT_EQ(frm->memPreview->toPlainText(),
              "For: <doe@senate.example>\nSubject: For Senator Doe\n\n"
              "Dear Senator Jane Doe,\nPlease help Ohio.");
    frm->txtTo->setText("me@home.example;" + frm->txtTo->text());
    EXPECT_EQ(frm->memPreview->toPlainText(),
              "For: me@home.example\nSubject: For  \n\nDear  Sir or Madam,\nPlease help .");

    const QString question =
        "One recipient was typed by hand rather than chosen from a list, so the letter to it has "
        "no official's details: {Name} reads \"Sir or Madam\" and {LastName}, {Title}, {State} and "
        "{District} are left empty.\n\nSend the message anyway?";
    Send(frm);  // answered No
    EXPECT_EQ(Dialogs.Questions, QStringList{question});
    EXPECT_FALSE(server.Has(1));
    Dialogs.QuestionAnswers = {true};
    Send(frm);
    ASSERT_EQ(Dialogs.Questions.size(), 3);
    EXPECT_EQ(Dialogs.Questions[1], question);
    // The letters' text is the SMTP integration test's.
    const char* subjects[] = {"For  ", "For Senator Doe", "For Resident Commissioner Rivera"};
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(server.Has(n));
        EXPECT_EQ(server.Lines(n, "header Subject:"),
                  std::vector<std::string>{std::string("header Subject: ") + subjects[n - 1]});
    }
    EXPECT_FALSE(server.Has(4));
}

}  // namespace
