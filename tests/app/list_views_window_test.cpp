// The main window's list views through their real widgets: side bar, filter
// boxes, grid and tree, with the browser faked.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/small_windows.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "lists/official_list.h"
#include "settings/settings.h"
#include "support/fresh_start.h"

namespace {

// Two Alabama senators around an Alaskan, a mailbox-less one and a web form.
const char* const Senate =
    "5 5\r\n"
    "AL,R,\"Doe, Jane\",jane@senate.example,http://doe.example/\r\n"
    "AK,D,Roe,roe@senate.example,http://roe.example/\r\n"
    "AL,D,Poe,NONE,http://poe.example/\r\n"
    "OH,R,Moe,moe@senate.example,n/a\r\n"
    "AL,I,Loe,https://loe.senate.example/contact,http://loe.example/\r\n";
const char* const House =
    "6 3\r\n"
    "GU,AL,D,Guam Delegate,gu@house.example,http://gu.example/\r\n"
    "OH,1,R,Ohio One,oh1@house.example,http://oh1.example/\r\n"
    "AL,1,R,Alabama One,al1@house.example,http://al1.example/\r\n";
const char* const Leaders =
    "6 3\r\n"
    "1,France,President,Someone,none,http://fr.example/\r\n"
    "2,Japan,Prime Minister,Another,pm@jp.example,http://jp.example/\r\n"
    "1,Spain,King,Third,none,http://es.example/\r\n";

class ListViewsWindowTest : public FreshStartTest {
  protected:
    void SetUp() override {
        FreshStartTest::SetUp();
        list_files::Write(Program.path(), "senate.dat", Senate);
        list_files::Write(Program.path(), "house.dat", House);
        list_files::Write(Program.path(), "leaders.dat", Leaders);
        Start().reset();  // past the first run
        frmMain = Start();
        frmMain->resize(900, 600);
        frmMain->show();
        frmMain->FormActivate();
        QApplication::processEvents();
        Grid = frmMain->SuperGrid1;
    }

    void Show(int group, int item) { frmMain->OutlookBar1->ClickItem(group, item); }
    void ShowSenate() { Show(TfrmMain::UsGovernmentGroup, 0); }
    void ShowHouse() { Show(TfrmMain::UsGovernmentGroup, 1); }

    // The grid's data rows, one text per row of the columns from `first`.
    QStringList Rows(int first = 2) const {
        QStringList rows;
        for (int row = 1; row < Grid->RowCount(); ++row) {
            QStringList cells;
            for (int column = first; column < Grid->ColCount(); ++column)
                cells.append(Grid->Cell(column, row));
            rows.append(cells.join('|'));
        }
        return rows;
    }

    QPoint Centre(int column, int row) const {
        return Grid->visualRect(Grid->Model().IndexOf(column, row)).center();
    }
    void Click(int column, int row) {
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, Centre(column, row));
    }
    QPoint TitleCentre(int column) const {
        const QHeaderView* header = Grid->horizontalHeader();
        return {header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 10};
    }
    bool Ticked(int row) const { return Grid->Checked(TSuperGrid::CheckColumn, row); }
    bool Tickable(int row) const { return Grid->CheckBoxEnabled(TSuperGrid::CheckColumn, row); }
    bool BrowserButtonsEnabled() const {
        return frmMain->ToolButton1->isEnabled() && frmMain->ToolButton5->isEnabled();
    }

    std::unique_ptr<TfrmMain> frmMain;
    TSuperGrid* Grid = nullptr;
};

TEST_F(ListViewsWindowTest, SenateFilterBoxesAndTicks) {
    ShowSenate();
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->Panel6);
    EXPECT_EQ(CurrentView, SenateView);
    EXPECT_EQ(frmMain->lblBranch->text(), "Senate");
    EXPECT_FALSE(BrowserButtonsEnabled());
    EXPECT_FALSE(frmMain->cbSName->isHidden());
    EXPECT_TRUE(frmMain->cbTerritory->isHidden());
    EXPECT_EQ(frmMain->cbSName->currentText(), "Alabama");
    EXPECT_EQ(Rows(),
              (QStringList{"AL|R|Doe, Jane|jane@senate.example|http://doe.example/",
                           "AL|D|Poe|NONE|http://poe.example/",
                           "AL|I|Loe|https://loe.senate.example/contact|http://loe.example/"}));
    EXPECT_EQ(frmMain->GridRowMap, (std::vector<int>{-1, 0, 2, 4}));
    // The saved colours; their alternation: SuperGridTest.
    EXPECT_EQ(Grid->OddRowColour(), SettingColour(Settings.OddRowColor));

    // A flag already set does not tick a box without a mailbox.
    SenateSelected[2] = 1;
    frmMain->cbSName->setCurrentIndex(2);  // Alaska, then back
    frmMain->cbSName->setCurrentIndex(1);
    struct TRow {
        int Row;
        bool Tickable;
    };
    for (const TRow row : {TRow{1, true}, {2, false}, {3, false}}) {
        SCOPED_TRACE(row.Row);
        EXPECT_EQ(Tickable(row.Row), row.Tickable);
        EXPECT_FALSE(Ticked(row.Row));
    }

    // A click ticks; Select All skips the boxes that take no tick.
    Click(TSuperGrid::CheckColumn, 1);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{1, 0, 1, 0, 0}));
    SenateSelected[2] = 0;
    Click(TSuperGrid::CheckColumn, 1);
    EXPECT_EQ(SenateSelected[0], 0);
    QTest::mouseClick(frmMain->Button1, Qt::LeftButton);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{1, 0, 0, 0, 0}));
    EXPECT_TRUE(Ticked(1));
    EXPECT_FALSE(Ticked(2));

    // Every state: the ticks come from the flags.
    frmMain->cbSName->setCurrentIndex(0);
    EXPECT_EQ(Rows().size(), 5);
    EXPECT_TRUE(Ticked(1));
    QTest::mouseClick(frmMain->Button1, Qt::LeftButton);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{1, 1, 0, 1, 0}));
    QTest::mouseClick(frmMain->Button2, Qt::LeftButton);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{0, 0, 0, 0, 0}));

    // A state with nobody: one blank row whose box changes nothing.
    frmMain->cbSName->setCurrentIndex(3);
    EXPECT_EQ(Rows(), QStringList{"||||"});
    QTest::mouseClick(frmMain->Button1, Qt::LeftButton);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{0, 0, 0, 0, 0}));
}

TEST_F(ListViewsWindowTest, FilterCarriesOverBetweenHouseAndSenate) {
    struct TRow {
        const char* HouseChoice;
        const char* SenateShows;
        QStringList HouseRows;
    };
    // Which item a name carries to: ListViewsTest.FilterCarriesOverBetweenSenateAndHouse.
    const TRow rows[] = {
        {"Guam", "Alabama", {"GU|AL|D|Guam Delegate|gu@house.example|http://gu.example/"}},
        {"Ohio", "Ohio", {"OH|1|R|Ohio One|oh1@house.example|http://oh1.example/"}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.HouseChoice);
        ShowHouse();
        EXPECT_EQ(frmMain->lblBranch->text(), "House Of Representatives");
        frmMain->cbTerritory->setCurrentIndex(frmMain->cbTerritory->findText(row.HouseChoice));
        EXPECT_EQ(Rows(), row.HouseRows);
        ShowSenate();
        EXPECT_EQ(frmMain->cbSName->currentText(), row.SenateShows);
    }
    // And back: the House takes the Senate's state.
    frmMain->cbSName->setCurrentIndex(frmMain->cbSName->findText("Alabama"));
    ShowHouse();
    EXPECT_EQ(frmMain->cbTerritory->currentText(), "Alabama");
    EXPECT_EQ(Rows(), QStringList{"AL|1|R|Alabama One|al1@house.example|http://al1.example/"});
}

TEST_F(ListViewsWindowTest, ViewsComeBackAsTheyWereLeft) {
    ShowHouse();
    frmMain->cbTerritory->setCurrentIndex(0);
    Click(TSuperGrid::CheckColumn, 2);
    EXPECT_EQ(HouseSelected, (std::vector<std::uint8_t>{0, 1, 0}));
    Grid->SetColWidth(5, 150);

    // A page hides the list; the side-bar item shows it again, unchanged.
    frmMain->NavigateTo("http://somewhere.example/");
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->WebBrowser1);
    EXPECT_TRUE(BrowserButtonsEnabled());
    ShowHouse();
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->Panel6);
    EXPECT_EQ(frmMain->cbTerritory->currentIndex(), 0);
    EXPECT_TRUE(Ticked(2));
    EXPECT_EQ(Grid->ColWidth(5), 150);

    // Another view and back: ticks from the flags, widths from the settings.
    ShowSenate();
    EXPECT_EQ(Settings.HouseColWidths[5], 150);
    ShowHouse();
    EXPECT_TRUE(Ticked(2));
    EXPECT_FALSE(Ticked(1));
    EXPECT_EQ(Grid->ColWidth(5), 150);

    // Typing an address in a list view opens it and brings the buttons back.
    QLineEdit* box = frmMain->txtURL;
    box->setFocus();
    box->setText("www.house.gov");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->WebBrowser1);
    EXPECT_TRUE(BrowserButtonsEnabled());
    EXPECT_EQ(Browser->Navigations().last(), "www.house.gov");

    // File, "Close" keeps the current view's widths; the close box does not.
    ShowHouse();
    Grid->SetColWidth(6, 140);
    frmMain->Close1Click();
    EXPECT_EQ(Settings.HouseColWidths[6], 140);
}

TEST_F(ListViewsWindowTest, LinkCellsTitlesAndThePointer) {
    ShowSenate();
    QStringList composed;
    frmMain->ComposeTo = [&](const QString& address) { composed.append(address); };
    Browser->Requests.clear();
    // Which text does what: ListViewsTest.CellTextDecidesTickClickAndPointer.
    // Here: that each action reaches the browser or the compose window.
    struct TRow {
        const char* Name;
        int Column;
        int Row;
        bool RemoteEmail;
        const char* Opens;     // in the browser pane
        const char* Composes;  // in the compose window
    };
    const TRow rows[] = {
        {"a home page", 6, 1, true, "http://doe.example/", ""},
        {"a mailbox, mail program", 5, 1, true, "mailto:jane@senate.example", ""},
        {"a mailbox, compose window", 5, 1, false, "", "jane@senate.example"},
        {"a web form", 5, 3, true, "https://loe.senate.example/contact", ""},
        {"none", 5, 2, false, "", ""},
        {"a name", 4, 1, true, "", ""},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        Settings.UseRemoteEmail = row.RemoteEmail;
        QTest::mouseMove(Grid->viewport(), Centre(row.Column, row.Row));
        const bool link = *row.Opens != '\0' || *row.Composes != '\0';
        EXPECT_EQ(Grid->cursor().shape(), link ? Qt::PointingHandCursor : Qt::ArrowCursor);
        Click(row.Column, row.Row);
        EXPECT_EQ(Browser->Navigations(), *row.Opens ? QStringList{row.Opens} : QStringList());
        EXPECT_EQ(composed, *row.Composes ? QStringList{row.Composes} : QStringList());
        Browser->Requests.clear();
        composed.clear();
        if (frmMain->pnlContent->currentWidget() != frmMain->Panel6)
            ShowSenate();
    }
    // The e-mail title: a hand over it, and a click that does nothing.
    QWidget* titles = Grid->horizontalHeader()->viewport();
    QTest::mouseMove(titles, TitleCentre(5));
    EXPECT_EQ(Grid->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(titles, Qt::LeftButton, {}, TitleCentre(5));
    EXPECT_TRUE(Browser->Requests.isEmpty());
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->Panel6);
}

TEST_F(ListViewsWindowTest, WhiteHouseWorldLeadersAndTheParliamentsTree) {
    int partySelections = 0;
    frmMain->ShowPartySelection = [&] { ++partySelections; };
    ShowHouse();
    QTest::mouseClick(frmMain->Button3, Qt::LeftButton);
    EXPECT_EQ(partySelections, 1);

    Show(TfrmMain::UsGovernmentGroup, 2);
    EXPECT_EQ(CurrentView, WhiteHouseView);
    EXPECT_EQ(frmMain->lblBranch->text(), "President");
    EXPECT_FALSE(frmMain->cbTerritory->isHidden());
    EXPECT_FALSE(frmMain->cbTerritory->isEnabled());
    EXPECT_EQ(
        Rows(),
        (QStringList{QString::fromStdString(PresidentRecord.Name + "|" + PresidentRecord.Email +
                                            "|" + PresidentRecord.HomePage)}));

    Show(TfrmMain::InternationalGroup, 0);
    EXPECT_EQ(CurrentView, WorldLeadersView);
    EXPECT_TRUE(frmMain->Button1->isHidden());
    EXPECT_FALSE(frmMain->cbContinent->isHidden());
    EXPECT_TRUE(frmMain->cbTerritory->isHidden());
    EXPECT_EQ(frmMain->cbContinent->currentText(), "Europe");
    EXPECT_EQ(Grid->FixedCols(), 2);
    EXPECT_EQ(Rows(), (QStringList{"France|President|Someone|none|http://fr.example/",
                                   "Spain|King|Third|none|http://es.example/"}));
    frmMain->cbContinent->setCurrentIndex(2);
    EXPECT_EQ(Rows(), QStringList{"Japan|Prime Minister|Another|pm@jp.example|http://jp.example/"});

    // The tree: a parliament opens; a country or nothing chosen does not.
    Show(TfrmMain::InternationalGroup, 1);
    QTreeWidget* tree = frmMain->TreeView1;
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), tree);
    EXPECT_FALSE(BrowserButtonsEnabled());
    Browser->Requests.clear();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* country = tree->topLevelItem(0)->child(0);
    ASSERT_NE(country, nullptr);
    // As a mouse sends it: press, release, double click, release.
    // (QTest::mouseDClick leaves out the first release.)
    const auto doubleClick = [&](QTreeWidgetItem* item) {
        tree->expandAll();
        const QPoint centre = tree->visualItemRect(item).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
        QMouseEvent second(QEvent::MouseButtonDblClick, centre,
                           tree->viewport()->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &second);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, centre);
    };
    doubleClick(country);
    EXPECT_TRUE(Browser->Requests.isEmpty());
    ASSERT_EQ(country->childCount(), 1);
    doubleClick(country->child(0));
    EXPECT_EQ(Browser->Navigations(), QStringList{"http://an.example/"});
    EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->WebBrowser1);
}

}  // namespace
