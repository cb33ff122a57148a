// The connection settings window through its widgets.
#include "settings/windows/proxy_window.h"
#include "controls/window_placement.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/fake_dialogs.h"
#include "support/settings_fixture.h"

namespace {

class ProxyWindowTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        Main.setGeometry(100, 80, 640, 480);
    }

    TFakeDialogs Dialogs;
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

        const TSettings stored = Settings;
        Settings = TSettings{};
        LoadSettings();
        EXPECT_EQ(Settings.ProxyPort, stored.ProxyPort);
        EXPECT_EQ(Settings.MaxRecipients, stored.MaxRecipients);
        EXPECT_EQ(Settings.EmailUser, "jane");
        EXPECT_EQ(Settings.ReplyTo, "jane@example.org");
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
        EXPECT_EQ(frm.size(), QSize(312, 331 + growth));
        EXPECT_EQ(frm.pnlIntro->height(), 1 + growth);
        // Centred over the main window's frame.
        const QRect main = Main.frameGeometry();
        EXPECT_EQ(frm.pos(), QPoint(main.x() + main.width() / 2 - 312 / 2,
                                    main.y() + main.height() / 2 - (331 + growth) / 2));
    }
    EXPECT_EQ(CentreOnOwner(700, 400, 312, 1024), 700);  // would pass the screen's edge
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

}  // namespace
