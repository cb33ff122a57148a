// The compose window's sends as the record of sent messages keeps them,
// through the window's widgets and a real SMTP server on loopback.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "error_box.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/compose_window.h"
#include "sent/sent_records.h"
#include "support/fake_dialogs.h"
#include "support/fake_password_store.h"
#include "support/settings_fixture.h"
#include "support/smtp_test_server.h"

namespace {

using namespace qv::sent;
using qv::test::SmtpTestServer;

class ComposeRecordTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        Settings.SMTPServer = "127.0.0.1";
        Settings.EmailUser = "jane";
        Settings.ReplyTo = "jane@example.org";
        Settings.UseContact = false;
        Settings.MaxRecipients = 2;
    }

    // Sends from a new compose window to `port`, recording into records, and
    // waits until the action has ended.
    QPointer<TfrmSendMessage> Send(TSentRecords& records, int port, const QString& to,
                                   bool copy = false) {
        Settings.SMTPPort = port;
        QPointer<TfrmSendMessage> frm =
            OpenComposeWindow(&Main, Dialogs, Attach, to, {}, {}, &records);
        frm->txtSubject->setText("Hearing");
        frm->Memo1->setPlainText("Please vote no.");
        frm->chkSendCopy->setChecked(copy);
        frm->BitBtn1->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return frm.isNull() || !frm->Sending(); }, 30000));
        return frm;
    }

    QTemporaryDir Folder;
    TFakeDialogs Dialogs;
    TFakePasswordStore Keyring;
    QWidget Main;
    TfrmAttach Attach{&Main, Dialogs};
};

TEST_F(ComposeRecordTest, EverySendIsRecordedWithItsTransactionsOrHowFarItGot) {
    SmtpTestServer server({"bad@example.org"});
    ASSERT_GT(server.Port(), 0);
    TSentRecords records(Folder.filePath("sent.sqlite").toStdString());

    // A split send with "Send me a copy": the copy rides in the first
    // transaction only, and the choice is remembered.
    Send(records, server.Port(), "<a@example.org>;<b@example.org>;<c@example.org>", true);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
    EXPECT_EQ(server.Lines(1, "rcpt "), (std::vector<std::string>{"rcpt jane@example.org",
                                                                   "rcpt a@example.org",
                                                                   "rcpt b@example.org"}));
    EXPECT_EQ(server.Lines(2, "rcpt "), std::vector<std::string>{"rcpt c@example.org"});
    EXPECT_NE(ReadFile(IniPath()).find("Send Copy=1"), std::string::npos);
    TSentStore& store = *records.Store();
    const TSentMessage split = store.Read(store.Search("").at(0).Id);
    EXPECT_EQ(split.State, TSendState::Sent);
    EXPECT_EQ(split.Fields.Subject, "Hearing");
    ASSERT_EQ(split.Transactions.size(), 2u);
    EXPECT_EQ(split.Transactions[0].Recipients,
              (std::vector<TRecipient>{{TRole::To, "<a@example.org>"},
                                       {TRole::To, "<b@example.org>"},
                                       {TRole::BCC, "jane@example.org"}}));
    EXPECT_EQ(split.Transactions[1].Reply, "250 Message accepted for delivery");

    // A refused recipient: the failure reaches the error box as before, and
    // the record says which transaction failed.
    ErrorBoxTexts().clear();
    QPointer<TfrmSendMessage> failed =
        Send(records, server.Port(), "<ok@example.org>;<x@example.org>;<bad@example.org>");
    EXPECT_EQ(ErrorBoxTexts(),
              QStringList{"550 5.1.1 <bad@example.org>: Recipient address rejected"});
    ASSERT_FALSE(failed.isNull());
    const TSentMessage m = store.Read(store.Search("").at(0).Id);
    EXPECT_EQ(m.State, TSendState::Failed);
    EXPECT_EQ(m.FailedAt, TFailedAt::Sending);
    EXPECT_EQ(m.Transactions[0].State, TTransactionState::Sent);
    EXPECT_EQ(m.Transactions[1].State, TTransactionState::Failed);
    EXPECT_EQ(m.Failure, "550 5.1.1 <bad@example.org>: Recipient address rejected");
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(ComposeRecordTest, ARecordThatCannotBeWrittenIsToldAfterTheMessageWentOut) {
    SmtpTestServer server;
    ASSERT_GT(server.Port(), 0);
    QDir(Folder.path()).mkpath("blocked/sent.sqlite");  // a folder in the file's place
    TSentRecords records(Folder.filePath("blocked/sent.sqlite").toStdString());
    QPointer<TfrmSendMessage> frm = Send(records, server.Port(), "<a@example.org>");
    EXPECT_TRUE(server.Has(1));
    EXPECT_TRUE(frm.isNull() || !frm->isVisible());  // sent: the window closed
    ASSERT_EQ(Dialogs.Warnings.size(), 1);
    EXPECT_EQ(Dialogs.Warnings[0],
              "This send could not be kept in Sent Messages. Unable to open the record of sent "
              "messages " + Folder.filePath("blocked/sent.sqlite") +
                  ": a folder stands in its place");
    EXPECT_EQ(Dialogs.Questions.size(), 1);  // the success question came first
}

}  // namespace
