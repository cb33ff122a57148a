// The main window's My Officials view, the senators and representatives of
// the user's ZIP code, and its ways into the Web Forms window.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/app_state.h"
#include "app/form_walk_bar.h"
#include "app/main_window.h"
#include "app/web_forms_window.h"
#include "controls/dialogs.h"
#include "controls/super_grid.h"
#include "lists/list_text.h"
#include "lists/official_list.h"
#include "lists/zip_districts.h"
#include "settings/settings.h"
#include "webforms/form_officials.h"

namespace {

// Fields of the list records: the Senate's state, party, name, e-mail and
// home page; the House's with the district after the state.
constexpr int kSenateFields = 5;
constexpr int kHouseFields = 6;

enum TMyColumn {
    ChamberColumn = 2,
    StateColumn,
    DistrictColumn,
    PartyColumn,
    NameColumn,
    EmailColumn,
    HomePageColumn
};

QString Text(const std::string& raw) {
    return QString::fromStdString(DisplayText(raw));
}

bool Mailable(const TMyOfficialRow& row) {
    const TOfficialList& list = row.Senate ? SenateList : HouseList;
    return row.Record < list.RowCount() &&
           !CheckBoxDisabledFor(list.Field(row.Record, list.FieldCount() - 2));
}

}  // namespace

void TfrmMain::ShowZipRow(bool shown) {
    txtZipCode->setVisible(shown);
    btnZipLookUp->setVisible(shown);
    lblZipResult->setVisible(shown);
}

void TfrmMain::EnterMyOfficials() {
    for (QComboBox* box : {cbSName, cbTerritory, cbContinent})
        box->hide();
    ShowZipRow(true);
    Button5->hide();
    lblGroup->setText("&ZIP Code:");
    lblGroup->setBuddy(txtZipCode);
    if (CurrentView != MyOfficialsView) {
        SwitchView(MyOfficialsView);
        SetViewColumns(MyOfficialsView);
        SetColumnWidths();
        FillGrid();
        // The contact details' ZIP code, the first time the view opens.
        if (myZip_.empty() && txtZipCode->text().isEmpty() && !Settings.ZipCode.empty()) {
            txtZipCode->setText(QString::fromStdString(Settings.ZipCode));
            LookUpZip();
        }
    }
    lblBranch->setText(ViewLayout(MyOfficialsView).TitleStrip);
    txtZipCode->setFocus();
    txtZipCode->selectAll();
}

const qv::TZipDistricts* TfrmMain::ZipTable() {
    if (!zipTable_) {
        try {
            zipTable_ = std::make_unique<qv::TZipDistricts>(
                qv::TZipDistricts::Load(ProgramDirectory + qv::kZipTableFileName));
        } catch (const qv::EZipTableError& error) {
            dialogs_.Warning(this, QString::fromLocal8Bit(error.what()));
            return nullptr;
        }
    }
    return zipTable_.get();
}

// A ZIP code that leads nowhere empties the view and says why; the hint is
// for the codes that have no district at all.
void TfrmMain::LookUpZip() {
    const QString typed = txtZipCode->text().trimmed();
    const auto refuse = [this](const QString& message) {
        myZip_.clear();
        lblZipResult->setText(message);
        FillGrid();
        dialogs_.Warning(this, message);
    };
    std::string zip;
    try {
        zip = qv::NormalizeZip(typed.toStdString());
    } catch (const qv::EMalformedZip&) {
        refuse(QString("\"%1\" is not a ZIP code. Enter the five digits of your ZIP code, or all "
                       "nine of ZIP+4.")
                   .arg(typed));
        return;
    }
    const qv::TZipDistricts* table = ZipTable();
    if (table == nullptr)
        return;
    qv::TZipOfficials found;
    try {
        found = qv::FindZipOfficials(*table, zip, SenateList, HouseList);
    } catch (const qv::EUnknownZip&) {
        refuse(QString("ZIP code %1 was not found. PO-box and single-company ZIP codes have no "
                       "congressional district. Choose your state in the Senate or House Of "
                       "Representatives view instead.")
                   .arg(QString::fromStdString(zip)));
        return;
    }
    myZip_ = zip;

    // The ZIP code joins the contact details, and with it its district
    // unless the user wrote another there.
    std::vector<qv::TDistrict> previous;
    try {
        if (!Settings.ZipCode.empty())
            previous = table->Find(Settings.ZipCode);
    } catch (const qv::EZipLookupError&) {
    }
    bool changed = false;
    if (Settings.ZipCode != typed.toStdString()) {
        Settings.ZipCode = typed.toStdString();
        changed = true;
    }
    const std::optional<std::string> district =
        DistrictForContact(found.Districts, Settings.UDist, previous);
    if (district && *district != Settings.UDist) {
        Settings.UDist = *district;
        changed = true;
    }
    if (changed)
        SaveSettingsOrWarn();

    for (const TMyOfficialRow& row : MyOfficialRows(found)) {
        if (!Mailable(row))
            continue;
        std::vector<std::uint8_t>& selected = row.Senate ? SenateSelected : HouseSelected;
        if (row.Record < static_cast<int>(selected.size()))
            selected[static_cast<std::size_t>(row.Record)] = 1;
    }
    lblZipResult->setText(QString::fromStdString(ZipHeading(zip, found.Districts)) + "\n" +
                          QString::fromStdString(qv::DistrictSentence(found.Districts)));
    FillGrid();
}

// The rows are found afresh from the ZIP code each time, so that they follow
// a list that was read again.
void TfrmMain::FillMyOfficials() {
    myRows_.clear();
    if (!myZip_.empty() && zipTable_) {
        try {
            myRows_ =
                MyOfficialRows(qv::FindZipOfficials(*zipTable_, myZip_, SenateList, HouseList));
        } catch (const qv::EZipLookupError&) {
        }
    }
    std::erase_if(myRows_, [](const TMyOfficialRow& row) {
        return (row.Senate ? SenateList : HouseList).FieldCount() <
               (row.Senate ? kSenateFields : kHouseFields);
    });

    SuperGrid1->setUpdatesEnabled(false);
    SuperGrid1->SetRowCount(static_cast<int>(std::max<std::size_t>(myRows_.size(), 1)) + 1);
    SuperGrid1->ClearRow(1);
    SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, 1, !myRows_.empty());
    int gridRow = 1;
    for (const TMyOfficialRow& row : myRows_) {
        const TOfficialList& list = row.Senate ? SenateList : HouseList;
        const int record = row.Record;
        // The House record has the district where the Senate's has the party.
        const int shift = row.Senate ? 0 : 1;
        SuperGrid1->SetCell(ChamberColumn, gridRow, row.Senate ? "Senate" : "House");
        SuperGrid1->SetCell(StateColumn, gridRow, Text(list.Field(record, 0)));
        SuperGrid1->SetCell(DistrictColumn, gridRow,
                            row.Senate ? QString() : Text(list.Field(record, 1)));
        SuperGrid1->SetCell(PartyColumn, gridRow, Text(list.Field(record, 1 + shift)));
        SuperGrid1->SetCell(NameColumn, gridRow, Text(list.Field(record, 2 + shift)));
        SuperGrid1->SetCell(EmailColumn, gridRow, Text(list.Field(record, 3 + shift)));
        SuperGrid1->SetCell(HomePageColumn, gridRow, Text(list.Field(record, 4 + shift)));
        const bool enabled = Mailable(row);
        const std::vector<std::uint8_t>& selected = row.Senate ? SenateSelected : HouseSelected;
        const bool ticked = record < static_cast<int>(selected.size()) &&
                            selected[static_cast<std::size_t>(record)];
        SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, gridRow, enabled);
        SuperGrid1->SetChecked(TSuperGrid::CheckColumn, gridRow, enabled && ticked);
        ++gridRow;
    }
    SuperGrid1->setUpdatesEnabled(true);
}

// The Web Forms window's keys of the looked-up officials whose contact is a
// form.
std::vector<std::string> TfrmMain::MyWebFormKeys() const {
    std::vector<std::string> keys;
    for (const qv::webforms::TWebFormOfficial& official :
         qv::webforms::WebFormOfficials(SenateList, HouseList, LeaderList, PresidentRecord)) {
        const bool senate = official.Office == qv::webforms::TFormOffice::Senate;
        const bool house = official.Office == qv::webforms::TFormOffice::House;
        if ((senate || house) &&
            std::ranges::find(myRows_, TMyOfficialRow{senate, official.Record}) != myRows_.end())
            keys.push_back(official.Key);
    }
    return keys;
}

bool TfrmMain::CurrentListHasWebForms() const {
    using qv::webforms::TFormOffice;
    if (CurrentView == MyOfficialsView)
        return !MyWebFormKeys().empty();
    TFormOffice office;
    switch (CurrentView) {
        case SenateView:
            office = TFormOffice::Senate;
            break;
        case HouseView:
            office = TFormOffice::House;
            break;
        case WhiteHouseView:
            office = TFormOffice::President;
            break;
        case WorldLeadersView:
            office = TFormOffice::Leader;
            break;
        default:
            return false;
    }
    const auto officials =
        qv::webforms::WebFormOfficials(SenateList, HouseList, LeaderList, PresidentRecord);
    return std::ranges::any_of(officials,
                               [office](const auto& each) { return each.Office == office; });
}

void TfrmMain::ShowWebForms() {
    if (!frmWebForms) {
        frmWebForms = new TfrmWebForms(this, dialogs_, formMarks_,
                                       pnlFormWalk != nullptr ? &pnlFormWalk->Walker() : nullptr);
        frmWebForms->LastComposedLetter = [this] { return composedLetter_; };
        frmWebForms->SetSentRecords(sentRecords_);
    }
    frmWebForms->show();
    frmWebForms->raise();
    frmWebForms->activateWindow();
}

void TfrmMain::SetSentRecords(qv::sent::TSentRecords* records) {
    sentRecords_ = records;
    if (frmWebForms)
        frmWebForms->SetSentRecords(records);
}

void TfrmMain::KeepComposedLetter(const QString& subject, const QString& text) {
    composedLetter_ = qv::webforms::TLetter{subject.trimmed().toStdString(), text.toStdString()};
}

// In My Officials the window opens with the ZIP code's officials ticked.
void TfrmMain::Button4Click() {
    const bool mine = CurrentView == MyOfficialsView && !myZip_.empty();
    const std::vector<std::string> keys = mine ? MyWebFormKeys() : std::vector<std::string>();
    ShowWebForms();
    if (mine)
        frmWebForms->TickOnly(keys);
}
