#include "sent/windows/sent_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <optional>

#include "mail/windows/attach_window.h"
#include "mail/windows/compose_window.h"
#include "sent/sent_records.h"
#include "sent/sent_store.h"
#include "sent/sent_test_support.h"
#include "support/fake_dialogs.h"

namespace {

using namespace qv::sent;

QStringList Column(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts << list.topLevelItem(i)->text(column);
    return texts;
}

TEST(SentWindowTest, SearchReadSendAgainAndExportFromTheKeyboard) {
    TTempFolder folder;
    TSentStore store(folder.Path("sent.sqlite"));
    const std::int64_t split = store.BeginMail(SplitStart(1000));
    store.TransactionSent(split, 1, "250 Ok");
    store.TransactionSent(split, 2, "250 Ok");
    store.MailSent(split);
    TMailStart other = SplitStart(3000);
    other.Fields.Subject = "Roads";
    other.Fields.Text = "Fix them.";
    other.Transactions = {{{TRole::To, "<mayor@city.example>"}}};
    const std::int64_t failed = store.BeginMail(other);
    store.MailFailed(failed, TFailedAt::Connecting, 0, "Unable to connect");

    TFakeDialogs dialogs;
    std::optional<TMessageFields> again;
    TfrmSentMessages window(store, dialogs, [&](const TMessageFields& f) { again = f; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // Newest first, the newest shown whole.
    EXPECT_EQ(Column(*window.lvMessages, 1), QStringList({"Roads", "Budget vote"}));
    EXPECT_EQ(Column(*window.lvMessages, 3), QStringList({"Failed", "Sent"}));
    EXPECT_EQ(window.lblCount->text(), "2 messages");
    EXPECT_EQ(window.memMessage->toPlainText().toStdString(), MessageText(store.Read(failed)));

    // Type a search, go down into the list, and act on the message found.
    window.txtSearch->setFocus();
    QTest::keyClicks(window.txtSearch, "d@Y.EXAMPLE");
    EXPECT_EQ(Column(*window.lvMessages, 1), QStringList({"Budget vote"}));
    EXPECT_EQ(Column(*window.lvMessages, 2),
              QStringList({"<a@senate.example>, <b@house.example>, <c@x.example> and 1 more"}));
    EXPECT_EQ(window.lblCount->text(), "1 message");
    QTest::keyClick(window.txtSearch, Qt::Key_Down);
    EXPECT_TRUE(window.lvMessages->hasFocus());
    EXPECT_EQ(window.CurrentId(), split);
    EXPECT_TRUE(window.memMessage->toPlainText().contains("Transaction 2 of 2: sent"));

    // A mnemonic clicks its button after a short animation.
    QTest::keyClick(window.lvMessages, Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.has_value(); }));
    EXPECT_EQ(*again, SplitStart(0).Fields);

    dialogs.SaveAnswers << QString::fromStdString(folder.Path("budget"));
    QTest::keyClick(window.lvMessages, Qt::Key_E, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.SaveAnswers.isEmpty(); }));
    EXPECT_EQ(ReadFile(folder.Path("budget.txt")), MessageText(store.Read(split)));
    std::filesystem::create_directory(folder.Path("blocked.txt"));
    dialogs.SaveAnswers << QString::fromStdString(folder.Path("blocked.txt"));
    window.btnExport->click();
    ASSERT_EQ(dialogs.Warnings.size(), 1);
    EXPECT_TRUE(dialogs.Warnings[0].startsWith("Unable to write to " +
                                               QString::fromStdString(folder.Path("blocked.txt"))));

    QTest::keyClicks(window.txtSearch, " nothing-like-this");
    EXPECT_EQ(window.lvMessages->topLevelItemCount(), 0);
    EXPECT_EQ(window.lblCount->text(), "No messages match");
    EXPECT_EQ(window.memMessage->toPlainText(), "");
    EXPECT_FALSE(window.btnSendAgain->isEnabled());
    EXPECT_FALSE(window.btnExport->isEnabled());

    for (QWidget* control : std::initializer_list<QWidget*>{
             window.txtSearch, window.lvMessages, window.memMessage})
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
}

TEST(SentWindowTest, OpeningTellsWhyTheRecordCannotBeUsedOrWasSetAside) {
    TTempFolder folder;
    QWidget main;
    TFakeDialogs dialogs;

    std::filesystem::create_directories(folder.Path("blocked/sent.sqlite"));
    TSentRecords blocked(folder.Path("blocked/sent.sqlite"));
    EXPECT_EQ(ShowSentMessages(&main, dialogs, blocked, {}), nullptr);
    ASSERT_EQ(dialogs.Warnings.size(), 1);
    EXPECT_TRUE(dialogs.Warnings[0].endsWith(": a folder stands in its place"));

    const std::string damaged = folder.Path("sent.sqlite");
    std::ofstream(damaged) << "not a database";
    TSentRecords records(damaged);
    TfrmSentMessages* window = ShowSentMessages(&main, dialogs, records, {});
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(dialogs.Warnings.size(), 2);
    EXPECT_TRUE(dialogs.Warnings[1].startsWith(
        "The record of sent messages was damaged. It was set aside as " +
        QString::fromStdString(damaged) + ".damaged-"));
    EXPECT_EQ(window->lblCount->text(), "No sent messages");
    EXPECT_FALSE(window->btnSendAgain->isEnabled());  // no hook, nothing chosen

    EXPECT_EQ(ShowSentMessages(&main, dialogs, records, {}), window);  // one window
    EXPECT_EQ(dialogs.Warnings.size(), 2);                             // told once
}

TEST(SentWindowTest, SendAgainOpensTheComposeWindowFilledIn) {
    QWidget main;
    TFakeDialogs dialogs;
    TfrmAttach attach(&main, dialogs);
    TMessageFields fields = SplitStart(0).Fields;
    TfrmSendMessage* frm = SendAgain(&main, dialogs, attach, nullptr, fields);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->txtFrom->text(), "me@example.org");
    EXPECT_EQ(frm->txtTo->text(), "<a@senate.example>");
    EXPECT_EQ(frm->txtCC->text(), "<b@house.example>");
    EXPECT_EQ(frm->txtBCC->text(), "<c@x.example>;<d@y.example>");
    EXPECT_EQ(frm->txtSubject->text(), "Budget vote");
    EXPECT_EQ(frm->Memo1->toPlainText(), "Please vote no.\n");
    EXPECT_EQ(frm->lbAttach, QStringList{"/home/me/letter.pdf"});
    EXPECT_EQ(frm->Panel16->text(), "/home/me/letter.pdf  ");
}

}  // namespace
