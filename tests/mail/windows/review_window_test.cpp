// The review and party selection windows through their widgets, over small
// hand-made lists.
#include "mail/windows/review_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "compose_windows.h"
#include "controls/super_grid.h"
#include "lists/official_list.h"
#include "mail/recipient_selection.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/compose_window.h"
#include "mail/windows/party_select_window.h"
#include "settings/settings.h"
#include "support/fake_dialogs.h"

namespace {

class ReviewWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings = TSettings{};
        Settings.SMTPServer = "smtp.example.org";
        Settings.EmailUser = "jane";
        // State, party, name, e-mail, home page.
        SenateList.Reset(5);
        SenateList.AppendRow({"AK", "R", "Able, Ann", "able@senate.example", "none"});
        SenateList.AppendRow({"AK", "d", "Baker, Bo", "baker@senate.example", "none"});
        SenateList.AppendRow({"AL", "D", "Cole, Cy", "https://cole.senate.example/contact", "x"});
        SenateList.AppendRow({"AL", "R", "Dunn, Di", "NONE", "x"});
        SenateList.AppendRow({"AZ", "I", "Eves, Ed", "eves@senate.example", "x"});
        // State, district, party, name, e-mail, home page.
        HouseList.Reset(6);
        HouseList.AppendRow({"AK", "AL", "R", "Fox, Fay", "fox@house.example", "x"});
        HouseList.AppendRow({"AL", "1", "D", "Gray, Gus", "gray@house.example", "x"});
        HouseList.AppendRow({"AL", "2", "D", "Hale, Hu", "http://hale.house.example", "x"});
        SenateSelected.assign(5, 0);
        HouseSelected.assign(3, 0);
        PresidentSelected = 0;
        Main.setGeometry(100, 100, 640, 480);
        Review.SetAttachWindow(&Attach);
    }

    TFakeDialogs Dialogs;
    QWidget Main;  // the windows go with it
    TfrmAttach Attach{&Main, Dialogs};
    TfrmGroupEmail Review{&Main, Dialogs};
};

TEST_F(ReviewWindowTest, ShowingListsTheFlaggedOfficialsAndSetsBcc) {
    const struct {
        std::vector<std::uint8_t> Senate, House;
        bool HouseView;
        int Senators, Representatives;
        bool Bcc;
    } rows[] = {
        {{1, 1, 0, 0, 0}, {0, 1, 0}, false, 2, 1, false},  // two and one
        {{1, 0, 0, 0, 1}, {1, 1, 0}, true, 2, 2, true},    // two and two
        {{0, 0, 0, 0, 0}, {1, 1, 1}, false, 0, 3, true},   // one grid empty, three in the other
        {{0, 0, 0, 0, 0}, {0, 0, 0}, false, 0, 0, false},
    };
    for (const auto& row : rows) {
        SenateSelected = row.Senate;
        HouseSelected = row.House;
        Review.SetHouseViewQuery([&] { return row.HouseView; });
        Review.show();
        // A title row, and a row per official or one hidden empty row.
        EXPECT_EQ(Review.SuperGrid1->RowCount(), 1 + std::max(row.Senators, 1));
        EXPECT_EQ(Review.SuperGrid3->RowCount(), 1 + std::max(row.Representatives, 1));
        EXPECT_EQ(Review.SuperGrid1->RowHeight(1), row.Senators == 0 ? 0 : 22);
        EXPECT_EQ(Review.SuperGrid3->RowHeight(1), row.Representatives == 0 ? 0 : 22);
        EXPECT_EQ(Review.chkBCC->isChecked(), row.Bcc);
        EXPECT_EQ(Review.PageControl1->currentWidget(),
                  row.HouseView ? Review.TabSheet2 : Review.TabSheet1);
        EXPECT_EQ(Review.pos(), Main.pos() + QPoint(5, 22));
        Review.hide();
    }
    // The last filled grid, as the user sees it.
    EXPECT_EQ(Review.SuperGrid3->Cell(2, 0), "Name");
    EXPECT_TRUE(Review.SuperGrid3->ColumnHidden(TfrmGroupEmail::HouseEmail));
    SenateSelected = {0, 1, 0, 0, 0};
    Review.show();
    EXPECT_EQ(Review.SuperGrid1->Cell(TfrmGroupEmail::SenateName, 1), "Baker, Bo");
    EXPECT_EQ(Review.SuperGrid1->Cell(TfrmGroupEmail::SenateEmail, 1), "baker@senate.example");
    EXPECT_TRUE(Review.SuperGrid1->Checked(1, 1));
}

TEST_F(ReviewWindowTest, ComposeMessageHandsTheTickedAddressesOver) {
    SenateSelected = {1, 1, 0, 0, 0};
    HouseSelected = {0, 1, 0};
    Review.show();
    ASSERT_FALSE(Review.chkBCC->isChecked());
    Review.SuperGrid1->SetChecked(1, 2, false);
    Review.BitBtn2->click();
    ASSERT_EQ(VisibleComposeWindows().size(), 1);
    EXPECT_EQ(VisibleComposeWindows()[0]->txtTo->text(),
              "<able@senate.example>;<gray@house.example>");
    EXPECT_EQ(VisibleComposeWindows()[0]->txtBCC->text(), "");
    EXPECT_EQ(Review.result(), QDialog::Accepted);
    EXPECT_FALSE(Review.isVisible());

    HouseSelected = {1, 1, 0};
    Review.show();
    ASSERT_TRUE(Review.chkBCC->isChecked());
    const QList<TfrmSendMessage*> before = VisibleComposeWindows();
    Review.BitBtn2->click();
    ASSERT_EQ(VisibleComposeWindows().size(), 2);
    const QList<TfrmSendMessage*> after = VisibleComposeWindows();
    TfrmSendMessage* compose = after[before.contains(after[0]) ? 1 : 0];
    EXPECT_EQ(compose->txtBCC->text(),
              "<able@senate.example>;<baker@senate.example>;<fox@house.example>;"
              "<gray@house.example>");
    EXPECT_EQ(compose->txtTo->text(), "");
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(ReviewWindowTest, PresidentAloneOrNothingTicked) {
    PresidentSelected = 1;
    Review.show();
    EXPECT_EQ(Review.SuperGrid1->RowHeight(1), 0);
    EXPECT_EQ(Review.SuperGrid3->RowHeight(1), 0);
    EXPECT_TRUE(Review.chkPres->isChecked());
    Review.BitBtn2->click();
    ASSERT_EQ(VisibleComposeWindows().size(), 1);
    EXPECT_EQ(VisibleComposeWindows()[0]->txtTo->text(),
              "<" + QString::fromStdString(PresidentRecord.Email) + ">");

    SenateSelected = {1, 0, 0, 0, 0};
    Review.show();
    Review.SuperGrid1->SetChecked(1, 1, false);
    Review.chkPres->setChecked(false);
    Review.BitBtn2->click();
    EXPECT_EQ(VisibleComposeWindows().size(), 1);
    EXPECT_EQ(Dialogs.Warnings, QStringList{"No representatives selected. Please select "
                                            "representatives to email before composing message."});
    EXPECT_EQ(Dialogs.WarningPositions, QList<QPoint>{Review.pos() + QPoint(25, 25)});
    EXPECT_FALSE(Review.isVisible());

    // With web forms in the main window's list the warning offers them; the
    // text stays.
    bool hasForms = false;
    int opened = 0;
    Review.SetWebForms([&] { return hasForms; }, [&] { ++opened; });
    for (const bool choose : {false, true}) {
        hasForms = true;
        Dialogs.ActionAnswers = {choose};
        Review.show();
        Review.SuperGrid1->SetChecked(1, 1, false);
        Review.chkPres->setChecked(false);
        Review.BitBtn2->click();
        EXPECT_FALSE(Review.isVisible());
        EXPECT_EQ(opened, choose ? 1 : 0);
    }
    EXPECT_EQ(Dialogs.WarningActions,
              (QStringList{"Write Through Web Forms...", "Write Through Web Forms..."}));
    EXPECT_EQ(Dialogs.Warnings.last(), Dialogs.Warnings.first());
    EXPECT_EQ(VisibleComposeWindows().size(), 1);
}

TEST_F(ReviewWindowTest, SendButtonShowsTheWindowOrBringsItForward) {
    Review.Execute();
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Group email"});
    Review.show();
    Review.Execute();
    EXPECT_EQ(Dialogs.ModalWindows.size(), 1);
    Review.resize(600, 300);
    QApplication::processEvents();
    EXPECT_EQ(Review.BitBtn2->x(), static_cast<int>(Review.Panel3->width() * 0.19));
    EXPECT_EQ(Review.BitBtn1->x(), static_cast<int>(Review.Panel3->width() * 0.51));
}

TEST_F(ReviewWindowTest, PartySelectionAddsMailableOfficialsOnly) {
    const struct {
        bool SenateAll, SenateDem, SenateRep, HouseAll, HouseDem, HouseRep;
        std::vector<std::uint8_t> Senate, House;
    } rows[] = {
        // "All" wins over a party box; web forms and "none" in any case stay out.
        {true, true, false, false, false, false, {1, 1, 0, 0, 1}, {0, 0, 0}},
        {false, true, false, false, false, true, {0, 1, 0, 0, 0}, {1, 0, 0}},  // "d" is D
        {false, false, true, false, true, false, {1, 0, 0, 0, 0}, {0, 1, 0}},
        {false, false, false, true, false, false, {0, 0, 0, 0, 0}, {1, 1, 0}},
    };
    for (const auto& row : rows) {
        SenateSelected.assign(5, 0);
        HouseSelected.assign(3, 0);
        int refreshed = 0;
        TfrmAdvancedSelect frm(&Main, [&] { ++refreshed; });
        frm.chkSenateDem->setChecked(row.SenateDem);
        frm.chkSenateRep->setChecked(row.SenateRep);
        frm.chkSenateAll->setChecked(row.SenateAll);
        frm.chkHouseDem->setChecked(row.HouseDem);
        frm.chkHouseRep->setChecked(row.HouseRep);
        frm.chkHouseAll->setChecked(row.HouseAll);
        EXPECT_EQ(frm.chkSenateDem->isEnabled(), !row.SenateAll);
        EXPECT_EQ(frm.chkHouseRep->isEnabled(), !row.HouseAll);
        frm.BitBtn1->click();
        EXPECT_EQ(SenateSelected, row.Senate);
        EXPECT_EQ(HouseSelected, row.House);
        EXPECT_EQ(refreshed, 1);
        EXPECT_EQ(frm.result(), QDialog::Accepted);
    }
    // Flags are only ever set: an earlier choice stays.
    SenateSelected = {0, 0, 0, 1, 0};
    qv::SelectByParty(SenateList, qv::kSenateColumns, {false, false, true}, SenateSelected);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{1, 0, 0, 1, 0}));

    TfrmAdvancedSelect::Execute(&Main, Dialogs, {});
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Advanced Selection Options"});
}

}  // namespace
