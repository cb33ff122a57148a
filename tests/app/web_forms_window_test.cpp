// The Web Forms window's walk through three officials' forms, through its
// real widgets and the main window's browser pane on the real engine, with
// the forms served on loopback.
#include "app/web_forms_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <functional>

#include "app/form_walk_bar.h"
#include "app/pages.h"
#include "app/web_browser.h"
#include "controls/super_grid.h"
#include "sent/sent_records.h"
#include "settings/ini_file.h"
#include "support/fresh_start.h"
#include "support/http_test_servers.h"

namespace {

// The engine loads pages in its own processes: long waits.
constexpr int kLoadWait = 30000;

class WebFormsWindowTest : public FreshStartTest {
  protected:
    void SetUp() override {
        FreshStartTest::SetUp();
        const auto form = [this](const char* page) { return server.Url(page); };
        const std::string senate =
            "5 3\r\n"
            "VA,D,\"Doe, Ann\"," +
            form("/labels_for.html") +
            ",h\r\n"
            "OH,R,\"Moe, Max\",https://moe.senate.example/contact,h\r\n"
            "VA,R,\"Roe, Bob\"," +
            form("/labels_around.html") + ",h\r\n";
        const std::string house =
            "6 2\r\n"
            "VA,4,D,\"Coe, Cy\"," +
            form("/placeholders.html") +
            ",h\r\n"
            "VA,5,R,\"Box, Bo\",bo@house.example,h\r\n";
        list_files::Write(Program.path(), "senate.dat", senate.c_str());
        list_files::Write(Program.path(), "house.dat", house.c_str());
        QFile page(QDir(Program.path()).filePath("qnindex.htm"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html><body>start</body></html>");
        page.close();
        Start().reset();  // past the first run
    }

    static TBrowserFactory Engine() {
        return [](QWidget* parent) {
            auto* browser = new TWebBrowser(parent);
            return TBrowserPane{browser, browser};
        };
    }

    qvtest::HttpTestServer server{qvtest::SourcePath("tests/webforms/pages")};
};

TEST_F(WebFormsWindowTest, WalksThroughThreeOfficialsWithNextAndStop) {
    TfrmMain frmMain(Dialogs, {}, Engine());
    qv::sent::TSentRecords records(QDir(Config.path()).filePath("sent.sqlite").toStdString());
    frmMain.SetSentRecords(&records);
    frmMain.resize(1000, 700);
    frmMain.show();
    frmMain.FormActivate();
    // The start page settles first, so that its fallback cannot come between.
    frmMain.NavigateTo(QString::fromStdString(LocalPage("qnindex.htm")));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return frmMain.StatusBar1->currentMessage() == "Done"; }, kLoadWait));

    QFile letterFile(QDir(Program.path()).filePath("letter.txt"));
    ASSERT_TRUE(letterFile.open(QIODevice::WriteOnly));
    letterFile.write("Please protect the river.\r\nThank you.\r\n");
    letterFile.close();

    frmMain.WebForms1->trigger();
    ASSERT_TRUE(frmMain.frmWebForms);
    TfrmWebForms& window = *frmMain.frmWebForms;
    ASSERT_TRUE(window.isVisible());
    // Virginia's officials with forms, all ticked; the mailbox is not listed.
    // The President's form makes the fifth.
    window.cbState->setCurrentIndex(window.cbState->findText("Virginia"));
    ASSERT_EQ(window.SuperGrid1->RowCount(), 4);
    EXPECT_EQ(window.SuperGrid1->Cell(2, 3), "Coe, Cy");
    window.btnSelectAll->click();
    EXPECT_EQ(window.lblCount->text(), "3 of 5 ticked");

    QTest::keyClicks(window.txtSubject, "Clean water");
    Dialogs.OpenAnswers << letterFile.fileName();
    window.btnLoadLetter->click();
    EXPECT_EQ(window.Memo1->toPlainText(), "Please protect the river.\nThank you.\n");
    window.txtEmail->setText("ann@example.org");
    window.ContactEdits.Name->setText("Jane Q. Citizen");
    window.ContactEdits.Street1->setText("100 Main Street");
    window.ContactEdits.City->setText("Richmond");
    window.ContactEdits.State->setText("VA");
    window.ContactEdits.Zip->setText("23219");

    TFormWalkBar& bar = *frmMain.pnlFormWalk;
    const auto filled = [&] {
        return QTest::qWaitFor([&] { return bar.lblFill->text().startsWith("Filled"); }, kLoadWait);
    };
    const auto result = [&](int row) { return window.SuperGrid1->Cell(6, row); };

    QTest::mouseClick(window.btnStart, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.lblWalk->text(), "1 of 3: Sen. Ann Doe");
    ASSERT_TRUE(filled()) << bar.lblFill->text().toStdString();
    EXPECT_EQ(bar.lblFill->text(),
              "Filled 8 fields (green). 3 required fields are left for you (red). Check the form "
              "and submit it yourself, then press Next.");  // prefix, topic and CAPTCHA
    EXPECT_EQ(result(1), "Open");

    bar.btnNext->click();
    EXPECT_EQ(bar.lblWalk->text(), "2 of 3: Sen. Bob Roe");
    ASSERT_TRUE(filled()) << bar.lblFill->text().toStdString();
    EXPECT_EQ(result(1), "Done");
    EXPECT_EQ(result(2), "Open");

    QTest::mouseClick(bar.btnNext, Qt::LeftButton);
    EXPECT_EQ(bar.lblWalk->text(), "3 of 3: Rep. Cy Coe");
    ASSERT_TRUE(filled()) << bar.lblFill->text().toStdString();
    EXPECT_TRUE(frmMain.txtURL->text().endsWith("/placeholders.html"));
    bar.btnStop->click();

    // The walk is over: the bar goes, the window comes back with the results.
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(result(1), "Done");
    EXPECT_EQ(result(2), "Done");
    EXPECT_EQ(result(3), "Stopped");
    // Sent Messages has the walk; how each step is recorded: SentStoreTest.
    const qv::sent::TSentMessage sent = records.Store()->Read(records.Store()->Search("").at(0).Id);
    EXPECT_EQ(sent.Kind, qv::sent::TMessageKind::WebForms);
    EXPECT_EQ(sent.Fields.Subject, "Clean water");
    EXPECT_EQ(sent.Fields.From, "ann@example.org");
    ASSERT_EQ(sent.Officials.size(), 3u);
    EXPECT_EQ(sent.Officials[2].Outcome, qv::sent::TFormOutcome::Stopped);

    // The contact details were kept as the compose window keeps them.
    const IniFile saved = IniFile::Load(SettingsFilePath());
    EXPECT_EQ(saved.ReadString("Contact", "Name", ""), "Jane Q. Citizen");
    EXPECT_EQ(saved.ReadString("Contact", "City", ""), "Richmond");
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(WebFormsWindowTest, StartNeedsATickAndAsksBeforeAnEmptyLetter) {
    TfrmMain frmMain(Dialogs, {}, Engine());
    frmMain.KeepComposedLetter(" From compose ", "Composed text");
    frmMain.FormActivate();
    frmMain.ShowWebForms();
    TfrmWebForms& window = *frmMain.frmWebForms;
    EXPECT_EQ(window.txtSubject->text(), "From compose");
    EXPECT_EQ(window.Memo1->toPlainText(), "Composed text");

    window.btnStartClick();
    EXPECT_EQ(Dialogs.Warnings,
              QStringList{"No officials selected. Please tick the officials whose web forms to "
                          "fill before pressing Start."});
    window.btnSelectAll->click();
    window.Memo1->clear();
    window.btnStartClick();  // the question is answered No
    EXPECT_EQ(Dialogs.Questions,
              QStringList{"The letter is empty. Fill the forms with your contact details only?"});
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(frmMain.pnlFormWalk->Walker().IsActive());

    // A newer text from the compose window does not replace a letter
    // written here.
    window.close();
    window.Memo1->setPlainText("My own");
    frmMain.KeepComposedLetter("Newer", "Newer text");
    frmMain.ShowWebForms();
    EXPECT_EQ(window.txtSubject->text(), "From compose");
    EXPECT_EQ(window.Memo1->toPlainText(), "My own");
}

}  // namespace
