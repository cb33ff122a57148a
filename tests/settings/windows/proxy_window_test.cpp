// The connection settings window through its widgets.
#include "settings/windows/proxy_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <optional>

#include "controls/send_progress.h"
#include "support/fake_dialogs.h"
#include "support/fake_password_store.h"
#include "support/settings_fixture.h"
#include "support/smtp_test_server.h"

namespace {

class ProxyWindowTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        Main.setGeometry(100, 80, 640, 480);
    }

    // Lets the keyring's answer to the window's opening arrive.
    static void Settle() { QApplication::processEvents(); }

    TFakeDialogs Dialogs;
    TFakePasswordStore Keyring;
    QWidget Main;
};

struct TEnabled {
    bool Host, Port, Authorize, User, Password;
    bool operator==(const TEnabled&) const = default;
};

TEnabled Enabled(const TfrmProxy& frm) {
    return {frm.txtProxyHost->isEnabled(), frm.txtProxyPort->isEnabled(),
            frm.chkAuthorize->isEnabled(), frm.txtProxyUser->isEnabled(),
            frm.txtProxyPassword->isEnabled()};
}

TEST_F(ProxyWindowTest, OpeningAndClickRulesEnableTheProxyFields) {
    const struct {
        bool UseProxy, Authorize;
        TEnabled AtOpening;
    } rows[] = {
        {false, false, {false, false, true, false, false}},
        {false, true, {false, false, true, true, true}},
        {true, false, {true, true, true, false, false}},
        {true, true, {true, true, true, true, true}},
    };
    for (const auto& row : rows) {
        Settings.UseProxy = row.UseProxy;
        Settings.ProxyHost = "proxy.example";
        Settings.UseProxyAuthorization = row.Authorize;
        TfrmProxy frm(&Main, Dialogs);
        EXPECT_EQ(frm.chkUseProxy->isChecked(), row.UseProxy);
        EXPECT_EQ(frm.chkAuthorize->isChecked(), row.Authorize);
        EXPECT_TRUE(Enabled(frm) == row.AtOpening) << row.UseProxy << row.Authorize;

        frm.chkUseProxy->setChecked(true);
        frm.chkUseProxy->click();  // off
        EXPECT_TRUE(Enabled(frm) == (TEnabled{false, false, false, false, false}));
        frm.chkUseProxy->click();
        EXPECT_TRUE(Enabled(frm) == (TEnabled{true, true, true, false, false}));
        EXPECT_FALSE(frm.chkAuthorize->isChecked());
        frm.chkAuthorize->click();
        EXPECT_TRUE(Enabled(frm) == (TEnabled{true, true, true, true, true}));
    }
}

TEST_F(ProxyWindowTest, OkStoresTheFieldsAndSavesThem) {
    const struct {
        QString Port, Max;
        int StoredPort, StoredMax;
    } rows[] = {
        {"3128", "50", 3128, 50},
        {"abc", "", 8080, 99},  // a port that does not convert; an empty maximum
        {" 81 ", "0x10", 81, 16},
        {"", "ten", 8080, 99},
    };
    for (const auto& row : rows) {
        Settings = TSettings{};
        Settings.ProxyHost = "old.example";
        TfrmProxy frm(&Main, Dialogs);
        EXPECT_EQ(frm.txtMaxRecip->text(), "99");
        frm.txtProxyHost->setText("proxy.example");  // taken although disabled
        frm.txtProxyPort->setText(row.Port);
        frm.txtMaxRecip->setText(row.Max);
        frm.txtSMTP->setText(" smtp.example.org");
        frm.txtUser->setText("jane");
        frm.txtReplyTo->setText("jane@example.org");
        frm.btnOK->click();
        EXPECT_EQ(frm.result(), QDialog::Accepted);
        EXPECT_EQ(Settings.ProxyPort, row.StoredPort) << row.Port.toStdString();
        EXPECT_EQ(Settings.MaxRecipients, row.StoredMax) << row.Max.toStdString();
        EXPECT_EQ(Settings.ProxyHost, "proxy.example");
        EXPECT_FALSE(Settings.UseProxy);
        EXPECT_EQ(Settings.SMTPServer, " smtp.example.org");
        EXPECT_EQ(Settings.EmailUser, "jane");
        EXPECT_EQ(Settings.ReplyTo, "jane@example.org");
        // What is saved reads back: settings_test's EveryFieldSurvivesASaveAndALoad.
        EXPECT_TRUE(std::filesystem::exists(IniPath()));
    }
}

TEST_F(ProxyWindowTest, CancelChangesNothing) {
    Settings.SMTPServer = "smtp.example.org";
    const TSettings before = Settings;
    TfrmProxy frm(&Main, Dialogs);
    frm.txtSMTP->setText("other.example");
    frm.chkUseProxy->setChecked(true);
    frm.btnCancel->click();
    EXPECT_EQ(frm.result(), QDialog::Rejected);
    EXPECT_TRUE(Settings == before);
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
    // Without a user name there is no account whose password could be read.
    EXPECT_EQ(Keyring.Reads, 0);
}

TEST_F(ProxyWindowTest, MaximumTakesOnlyDigitsAndBlanks) {
    TfrmProxy frm(&Main, Dialogs);
    frm.show();
    frm.txtMaxRecip->clear();
    QTest::keyClicks(frm.txtMaxRecip, "1a2 -b3.");
    EXPECT_EQ(frm.txtMaxRecip->text(), "12 3");
    QTest::keyClick(frm.txtMaxRecip, Qt::Key_Backspace);
    QTest::keyClick(frm.txtMaxRecip, Qt::Key_Home);
    QTest::keyClick(frm.txtMaxRecip, Qt::Key_Delete);
    EXPECT_EQ(frm.txtMaxRecip->text(), "2 ");
    for (const QChar c : QString("0123456789 \b\n\r\x7f"))
        EXPECT_TRUE(IsMaxRecipientsKey(c));
    for (const QChar c : QString("-+.ax\t"))
        EXPECT_FALSE(IsMaxRecipientsKey(c));
}

TEST_F(ProxyWindowTest, FirstRunShowsTheIntroductionInATallerWindow) {
    for (const bool firstRun : {false, true}) {
        FirstRun = firstRun;
        TfrmProxy frm(&Main, Dialogs);
        frm.show();
        const int growth = firstRun ? TfrmProxy::FirstRunGrowth : 0;
        // The design's size, taller by what the mail account's fields need.
        TfrmProxy plain(&Main, Dialogs);
        const int height = plain.height() + growth;
        EXPECT_GE(plain.height(), 331);
        EXPECT_EQ(frm.size(), QSize(312, height));
        EXPECT_EQ(frm.pnlIntro->height(), 1 + growth);
        // Centred over the main window's frame.
        const QRect main = Main.frameGeometry();
        EXPECT_EQ(frm.pos(), QPoint(main.x() + main.width() / 2 - 312 / 2,
                                    main.y() + main.height() / 2 - height / 2));
    }
}

TEST_F(ProxyWindowTest, RefusedWriteWarnsAndKeepsWhatWasTyped) {
    std::filesystem::create_directories(IniPath());  // a folder in the file's place
    TfrmProxy::Execute(&Main, Dialogs);
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Proxy Settings"});
    TfrmProxy frm(&Main, Dialogs);
    frm.txtSMTP->setText("smtp.example.org");
    frm.btnOK->click();
    ASSERT_EQ(Dialogs.Warnings.size(), 1);
    EXPECT_TRUE(Dialogs.Warnings[0].startsWith("Unable to write to "));
    EXPECT_EQ(Settings.SMTPServer, "");
    EXPECT_EQ(frm.txtSMTP->text(), "smtp.example.org");
    EXPECT_NE(frm.result(), QDialog::Accepted);
}

TEST_F(ProxyWindowTest, SecurityChoiceOffersTheUsualPortUnlessOneWasTyped) {
    const struct {
        int SavedPort, SavedSecurity;
        QString Typed;  // into the port field before the choice; empty: nothing
        int Chosen;
        QString Port;
    } rows[] = {
        {25, 0, "", 1, "587"},    {25, 0, "", 2, "587"},  {25, 0, "", 3, "465"},
        {465, 3, "", 0, "25"},    {587, 2, "", 3, "465"},
        {2525, 1, "", 3, "2525"},  // a port of the user's own stays
        {25, 0, "26", 3, "26"},    {25, 0, "25", 3, "25"},  // typed, even the usual one
    };
    for (const auto& row : rows) {
        Settings.SMTPPort = row.SavedPort;
        Settings.SMTPSecurity = row.SavedSecurity;
        TfrmProxy frm(&Main, Dialogs);
        EXPECT_EQ(frm.cbSecurity->currentIndex(), row.SavedSecurity);
        EXPECT_EQ(frm.txtSMTPPort->text(), QString::number(row.SavedPort));
        if (!row.Typed.isEmpty()) {
            frm.txtSMTPPort->clear();
            QTest::keyClicks(frm.txtSMTPPort, row.Typed);
        }
        frm.cbSecurity->setCurrentIndex(row.Chosen);
        EXPECT_EQ(frm.txtSMTPPort->text(), row.Port) << row.SavedPort << " -> " << row.Chosen;
    }
    EXPECT_EQ(SmtpSecurityChoices().size(), 4);
}

TEST_F(ProxyWindowTest, OkKeepsTheAccountAndItsPasswordInTheKeyring) {
    const std::string key = "smtp://jane@smtp.example.org";
    const struct {
        const char* Name;
        bool Available;
        std::optional<std::string> Kept;  // at opening
        QString Server, Port, Password;   // as typed
        int Security;
        std::optional<std::string> WriteFailure;
        std::map<std::string, std::string> Entries;  // afterwards
        int StoredPort;
        bool Accepted;
    } rows[] = {
        {"new password", true, std::nullopt, "smtp.example.org", "587", "secret", 1,
         std::nullopt, {{key, "secret"}}, 587, true},
        {"changed password", true, "old", "smtp.example.org", "465", "new", 3, std::nullopt,
         {{key, "new"}}, 465, true},
        {"emptied password", true, "old", "smtp.example.org", "25", "", 0, std::nullopt, {}, 25,
         true},
        {"other server: the old entry goes", true, "old", "mail.example.net", "", "old", 2,
         std::nullopt, {{"smtp://jane@mail.example.net", "old"}}, 587, true},
        {"no keyring: nothing kept", false, std::nullopt, "smtp.example.org", "70000", "secret",
         3, std::nullopt, {}, 465, true},
        {"keyring refuses", true, "old", "smtp.example.org", "587", "new", 2, "Access denied",
         {{key, "old"}}, 25, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Settings = TSettings{};
        Settings.SMTPServer = "smtp.example.org";
        Settings.EmailUser = "jane";
        Keyring.Available = row.Available;
        Keyring.Entries.clear();
        if (row.Kept)
            Keyring.Entries[key] = *row.Kept;
        Keyring.WriteFailure = row.WriteFailure;
        Dialogs.Warnings.clear();
        TfrmProxy frm(&Main, Dialogs);
        EXPECT_FALSE(frm.txtPassword->isEnabled()) << "until the keyring has answered";
        Settle();
        EXPECT_TRUE(frm.txtPassword->isEnabled());
        EXPECT_EQ(frm.txtPassword->echoMode(), QLineEdit::Password);
        EXPECT_EQ(frm.txtPassword->text().toStdString(), row.Kept.value_or(""));
        EXPECT_EQ(frm.lblPasswordNote->text(),
                  row.Available ? "The password is kept in your desktop's keyring, not in the "
                                  "settings file."
                                : kNoKeyringNote);
        frm.txtSMTP->setText(row.Server);
        frm.cbSecurity->setCurrentIndex(row.Security);
        frm.txtSMTPPort->setText(row.Port);
        frm.txtPassword->setText(row.Password);
        frm.btnOK->click();
        Settle();
        Settle();
        EXPECT_EQ(frm.result() == QDialog::Accepted, row.Accepted);
        EXPECT_EQ(Keyring.Entries, row.Entries);
        EXPECT_EQ(Settings.SMTPPort, row.StoredPort);
        EXPECT_EQ(Settings.SMTPSecurity, row.Accepted ? row.Security : 0);
        EXPECT_TRUE(frm.btnOK->isEnabled());
        if (!row.Accepted) {
            EXPECT_EQ(Dialogs.Warnings,
                      QStringList{"The password could not be kept in the keyring: Access denied"});
            EXPECT_EQ(Settings.SMTPServer, "smtp.example.org");
            continue;
        }
        EXPECT_TRUE(Dialogs.Warnings.isEmpty());
        const std::string file = ReadFile(IniPath());
        EXPECT_NE(file.find("SMTP Port=" + std::to_string(row.StoredPort) + "\nSMTP Security=" +
                            std::to_string(row.Security) + "\n"),
                  std::string::npos)
            << file;
        EXPECT_EQ(file.find("secret"), std::string::npos) << "no password in the settings file";
    }
}

// The connection test against a real server that requires STARTTLS and a
// login, trusted through a private store in the system store's place.
TEST_F(ProxyWindowTest, TestConnectionReportsWhatTheServerOffered) {
    TTempFolder folder;
    const qv::test::TestCertificate local(folder.Path(), "localhost", "DNS:localhost,IP:127.0.0.1");
    ASSERT_TRUE(local.Made) << "openssl made no certificate";
    ::setenv("SSL_CERT_FILE", local.Cert.c_str(), 1);
    const struct TUnset {
        ~TUnset() { ::unsetenv("SSL_CERT_FILE"); }
    } unset;
    qv::test::SmtpTestServer server(
        {}, {"--auth", "jo:secret", "--starttls", "--cert", local.Cert, "--key", local.Key,
             "--pipelining"});
    ASSERT_GT(server.Port(), 0);
    const struct {
        const char* Name;
        QString Password;
        QStringList Warnings;
        std::vector<QString> ResultLines;  // each found in the result window
        std::string Logins;
    } rows[] = {
        {"STARTTLS and AUTH", "secret", {},
         // The report's every line: smtp_tls_test's ConnectionTestReportsWhatTheServerOffered.
         {"The connection test succeeded. The server offered:", "Certificate: CN=localhost"},
         "PLAIN jo ok\n"},
        {"wrong password", "guess",
         {"The connection test failed.\n\n535 5.7.8 Authentication credentials invalid"}, {},
         "PLAIN jo refused\n"},
    };
    std::string logins;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Dialogs.Warnings.clear();
        Dialogs.ModalWindows.clear();
        TfrmProxy frm(&Main, Dialogs);
        Settle();
        frm.txtSMTP->setText("127.0.0.1");
        frm.txtUser->setText("jo");
        frm.txtPassword->setText(row.Password);
        frm.cbSecurity->setCurrentIndex(2);
        frm.txtSMTPPort->setText(QString::number(server.Port()));
        QString shown;
        Dialogs.ModalAnswers.push_back([&](QDialog& window) {
            shown = window.findChild<QLabel*>()->text() + "\n" +
                    window.findChild<QPlainTextEdit*>()->toPlainText();
            return int(QDialog::Accepted);
        });
        frm.btnTestConnection->click();
        EXPECT_TRUE(frm.frmProgress->isVisible());
        EXPECT_EQ(frm.frmProgress->windowTitle(), "Test Connection");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frm.frmProgress->Busy(); }, 30000));
        EXPECT_EQ(frm.frmProgress->Steps().first(), "Connecting to 127.0.0.1...");
        if (row.ResultLines.empty()) {
            EXPECT_TRUE(Dialogs.ModalWindows.isEmpty());
            EXPECT_EQ(Dialogs.Warnings, row.Warnings);
        } else {
            EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Test Connection"});
            for (const QString& line : row.ResultLines)
                EXPECT_TRUE(shown.contains(line)) << line.toStdString() << " in\n"
                                                  << shown.toStdString();
        }
        Dialogs.ModalAnswers.clear();
        logins += row.Logins;
        EXPECT_EQ(server.Logins(), logins);
        EXPECT_FALSE(std::filesystem::exists(IniPath())) << "a test saves nothing";
    }
    EXPECT_FALSE(server.Has(1));
}

}  // namespace
