// My Officials through the main window's real widgets, with the browser
// faked: a ZIP code typed in, its officials in the grid, and the way on to
// the Web Forms window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "app/web_forms_window.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "lists/official_list.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/fresh_start.h"

namespace {

const char* const Senate =
    "5 6\r\n"
    "AL,R,\"Ash, Al\",https://ash.senate.example/contact,http://ash.example/\r\n"
    "GA,D,\"Gill, Gus\",gill@senate.example,http://gill.example/\r\n"
    "OH,R,\"Moe, Max\",https://moe.senate.example/contact,http://moe.example/\r\n"
    "OH,D,\"Box, Bo\",bo@senate.example,http://box.example/\r\n"
    "AL,D,\"Alt, Ann\",none,http://alt.example/\r\n"
    "GA,R,\"Gray, Gil\",https://gray.senate.example/,http://gray.example/\r\n";
const char* const House =
    "6 4\r\n"
    "AL,3,R,\"Rogers, Ray\",https://rogers.house.example,http://rogers.example/\r\n"
    "GA,14,R,\"Green, Gem\",https://green.house.example,http://green.example/\r\n"
    "OH,3,D,\"Lee, Kim\",https://lee.house.example,http://lee.example/\r\n"
    "OH,12,R,\"Ball, Tri\",ball@house.example,http://ball.example/\r\n";
const char* const ZipTable =
    "state_fips,state_abbr,zcta,cd\r\n"
    "39,OH,43201,3\r\n"
    "39,OH,43004,3\r\n"
    "39,OH,43004,12\r\n"
    "01,AL,30165,3\r\n"
    "13,GA,30165,14\r\n";

class MyOfficialsWindowTest : public FreshStartTest {
  protected:
    void SetUp() override {
        FreshStartTest::SetUp();
        list_files::Write(Program.path(), "senate.dat", Senate);
        list_files::Write(Program.path(), "house.dat", House);
        list_files::Write(Program.path(), "zccd.csv", ZipTable);
        Start().reset();  // past the first run
        frmMain = Start();
        frmMain->resize(1000, 600);
        frmMain->show();
        frmMain->FormActivate();
        QApplication::processEvents();
        Grid = frmMain->SuperGrid1;
    }

    // Types `zip` into the ZIP box as a user does and presses Enter.
    void LookUp(const QString& zip) {
        frmMain->txtZipCode->selectAll();
        QTest::keyClicks(frmMain->txtZipCode, zip);
        QTest::keyClick(frmMain->txtZipCode, Qt::Key_Return);
    }

    // Chamber, state, district, party and name of each row, and its tick:
    // "x" ticked, "-" not, "/" no tick possible.
    QStringList Rows() const {
        QStringList rows;
        for (int row = 1; row < Grid->RowCount(); ++row) {
            QStringList cells;
            for (int column = 2; column <= 6; ++column)
                cells.append(Grid->Cell(column, row));
            const QString tick = !Grid->CheckBoxEnabled(TSuperGrid::CheckColumn, row) ? "/"
                                 : Grid->Checked(TSuperGrid::CheckColumn, row)        ? "x"
                                                                                      : "-";
            rows.append(tick + " " + cells.join('|'));
        }
        return rows;
    }

    std::string SavedContact(const char* key) const {
        return IniFile::Load(SettingsFilePath()).ReadString("Contact", key, "<none>");
    }

    std::unique_ptr<TfrmMain> frmMain;
    TSuperGrid* Grid = nullptr;
};

TEST_F(MyOfficialsWindowTest, ZipCodeShowsItsOfficialsTickedAndRemembersIt) {
    frmMain->OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, TfrmMain::MyOfficialsItem);
    EXPECT_EQ(CurrentView, MyOfficialsView);
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->Panel6);
    EXPECT_EQ(frmMain->lblBranch->text(), "My Officials");
    EXPECT_EQ(frmMain->lblGroup->buddy(), frmMain->txtZipCode);
    EXPECT_TRUE(frmMain->txtZipCode->isVisible());
    EXPECT_TRUE(frmMain->cbSName->isHidden());
    EXPECT_EQ(Rows(), QStringList{"/ ||||"});

    // One district: both senators and the representative; the mailable ones
    // ticked; the district joins the contact details.
    LookUp("43201");
    EXPECT_EQ(Rows(), (QStringList{"/ Senate|OH||R|Moe, Max", "x Senate|OH||D|Box, Bo",
                                   "/ House|OH|3|D|Lee, Kim"}));
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(frmMain->lblZipResult->text(),
              "ZIP code 43201: Ohio, OH-3\nThis ZIP code lies in Ohio's 3rd district.");
    EXPECT_EQ(SavedContact("ZipCode"), "43201");
    EXPECT_EQ(SavedContact("UDist"), "OH-3");

    // Two districts: each one's representative; the district field keeps
    // what it had. Which ZIPs give which districts and sentences: the ZIP
    // table of qvtool_lists_test.
    LookUp("43004");
    EXPECT_EQ(Rows().last(), "x House|OH|12|R|Ball, Tri");
    EXPECT_EQ(Settings.UDist, "OH-3");

    // A tick taken off here is taken off the selection.
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {},
                      Grid->visualRect(Grid->Model().IndexOf(TSuperGrid::CheckColumn, 4)).center());
    EXPECT_EQ(HouseSelected, (std::vector<std::uint8_t>{0, 0, 0, 0}));

    // Unknown and malformed codes: a clear message and an empty grid.
    LookUp("99999");
    ASSERT_EQ(Dialogs.Warnings.size(), 1);
    EXPECT_EQ(Dialogs.Warnings[0],
              "ZIP code 99999 was not found. PO-box and single-company ZIP codes have no "
              "congressional district. Choose your state in the Senate or House Of "
              "Representatives view instead.");
    EXPECT_EQ(Rows(), QStringList{"/ ||||"});
    LookUp("4300");
    ASSERT_EQ(Dialogs.Warnings.size(), 2);
    EXPECT_TRUE(Dialogs.Warnings[1].startsWith("\"4300\" is not a ZIP code."));
    EXPECT_EQ(Settings.ZipCode, "43004");

    // Another view and back: the view as it was left.
    LookUp("43201");
    frmMain->OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, 0);
    EXPECT_TRUE(frmMain->txtZipCode->isHidden());
    EXPECT_FALSE(frmMain->Button5->isHidden());
    frmMain->Button5->click();
    EXPECT_EQ(CurrentView, MyOfficialsView);
    EXPECT_EQ(Rows().size(), 3);

    // The officials with forms go ticked into the Web Forms window.
    EXPECT_TRUE(frmMain->CurrentListHasWebForms());
    frmMain->Button4->click();
    ASSERT_TRUE(frmMain->frmWebForms);
    TfrmWebForms& forms = *frmMain->frmWebForms;
    EXPECT_TRUE(forms.isVisible());
    EXPECT_EQ(forms.cbState->currentText(), "Ohio");
    std::vector<std::string> ticked;
    for (const auto& official : forms.TickedOfficials())
        ticked.push_back(official.Stop);
    EXPECT_EQ(ticked, (std::vector<std::string>{"Sen. Max Moe", "Rep. Kim Lee"}));
    EXPECT_EQ(Dialogs.Warnings.size(), 2);
}

TEST_F(MyOfficialsWindowTest, ContactZipIsLookedUpOnTheFirstVisitAndAMissingTableIsSaid) {
    Settings.ZipCode = "30165";
    frmMain->OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, TfrmMain::MyOfficialsItem);
    EXPECT_EQ(frmMain->txtZipCode->text(), "30165");
    EXPECT_EQ(Rows().size(), 6);
    EXPECT_EQ(Settings.UDist, "");  // two districts: none chosen

    CurrentView = NoView;
    auto other = Start();
    Settings.ZipCode = "30165";
    QFile::remove(QDir(Program.path()).filePath("zccd.csv"));
    other->OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, TfrmMain::MyOfficialsItem);
    ASSERT_EQ(Dialogs.Warnings.size(), 1);
    EXPECT_TRUE(Dialogs.Warnings[0].startsWith("Cannot open the ZIP code table "));
}

}  // namespace
