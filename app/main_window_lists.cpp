// The main window's list views: the list panel with its filter row and grid,
// the World Parliaments tree, and what the side bar's items switch to.
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <span>

#include "app/app_state.h"
#include "app/list_views.h"
#include "app/main_window.h"
#include "app/pages.h"
#include "app/small_windows.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "lists/list_text.h"
#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "settings/settings.h"

namespace {

const QColor kNavy(0, 0, 128);
constexpr int kAddressRole = Qt::UserRole + 1;

QString Text(const std::string& raw) {
    return QString::fromStdString(DisplayText(raw));
}

QComboBox* FilterBox(const std::vector<TFilterItem>& items, const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const TFilterItem& item : items)
        box->addItem(item.Name);
    box->setCurrentIndex(1);
    box->setAccessibleName(name);
    box->setMaxVisibleItems(20);
    return box;
}

// The settings' saved column widths of a view, columns 0 to last.
std::span<int> SavedWidths(std::uint8_t view) {
    switch (view) {
        case SenateView:
            return Settings.SenateColWidths;
        case HouseView:
            return Settings.HouseColWidths;
        case WhiteHouseView:
            return Settings.PresColWidths;
        case WorldLeadersView:
            return Settings.LeaderColWidths;
        default:
            return {};
    }
}

void AddTreeNodes(const TParliamentNode& node, QTreeWidgetItem* parent) {
    for (const auto& child : node.Children) {
        auto* item = new QTreeWidgetItem(parent, {Text(child->Caption)});
        if (child->IsLeaf)
            item->setData(0, kAddressRole, QString::fromStdString(child->Address));
        AddTreeNodes(*child, item);
    }
}

}  // namespace

void TfrmMain::CreateListPanel() {
    auto* layout = new QVBoxLayout(Panel6);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QWidget(Panel6);
    QPalette navy = strip->palette();
    navy.setColor(QPalette::Window, kNavy);
    strip->setPalette(navy);
    strip->setAutoFillBackground(true);
    auto* stripLayout = new QVBoxLayout(strip);
    stripLayout->setContentsMargins(8, 4, 8, 4);
    stripLayout->setSpacing(1);
    lblBranch = new QLabel(strip);
    QFont branchFont = lblBranch->font();
    branchFont.setBold(true);
    branchFont.setPointSize(branchFont.pointSize() + 3);
    lblBranch->setFont(branchFont);
    lblBranch->setStyleSheet("color: yellow");
    stripLayout->addWidget(lblBranch);
    auto* line = new QLabel("Select the Congress members to email and visit their websites", strip);
    line->setStyleSheet("color: white");
    stripLayout->addWidget(line);
    layout->addWidget(strip);

    auto* filterRow = new QWidget(Panel6);
    auto* row = new QHBoxLayout(filterRow);
    row->setContentsMargins(8, 4, 8, 4);
    lblGroup = new QLabel(filterRow);
    row->addWidget(lblGroup);
    cbSName = FilterBox(StateItems(), "State", filterRow);
    cbTerritory = FilterBox(TerritoryItems(), "State or territory", filterRow);
    cbContinent = FilterBox(ContinentItems(), "Continent", filterRow);
    for (QComboBox* box : {cbSName, cbTerritory, cbContinent}) {
        box->hide();
        row->addWidget(box);
    }
    lastStateBox_ = cbSName;
    connect(cbSName, &QComboBox::currentIndexChanged, this, &TfrmMain::cbSNameChange);
    connect(cbTerritory, &QComboBox::currentIndexChanged, this, &TfrmMain::cbTerritoryChange);
    connect(cbContinent, &QComboBox::currentIndexChanged, this, &TfrmMain::cbContinentChange);
    txtZipCode = new QLineEdit(filterRow);
    txtZipCode->setAccessibleName("ZIP code");
    txtZipCode->setPlaceholderText("12345 or 12345-6789");
    txtZipCode->setMaxLength(16);
    txtZipCode->setFixedWidth(txtZipCode->fontMetrics().horizontalAdvance("12345-67890") + 16);
    btnZipLookUp = new QPushButton("&Look Up", filterRow);
    btnZipLookUp->setAutoDefault(false);
    btnZipLookUp->setToolTip("Show the senators and representatives of this ZIP code");
    row->addWidget(txtZipCode);
    row->addWidget(btnZipLookUp);
    connect(txtZipCode, &QLineEdit::returnPressed, this, &TfrmMain::LookUpZip);
    connect(btnZipLookUp, &QPushButton::clicked, this, &TfrmMain::LookUpZip);
    row->addSpacing(12);
    Button1 = new QPushButton("&Select All", filterRow);
    Button2 = new QPushButton("&Clear", filterRow);
    Button3 = new QPushButton("F&ull Select...", filterRow);
    Button3->setToolTip("Full Selection Options");
    Button4 = new QPushButton("&Web Forms...", filterRow);
    Button4->setToolTip("Write Through Web Forms");
    Button5 = new QPushButton("&My Officials", filterRow);
    Button5->setToolTip("Your senators and representative from your ZIP code");
    for (QPushButton* button : {Button1, Button2, Button3, Button4, Button5}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    connect(Button1, &QPushButton::clicked, this, &TfrmMain::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmMain::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmMain::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TfrmMain::Button4Click);
    connect(Button5, &QPushButton::clicked, this, [this] {
        OutlookBar1->ClickItem(UsGovernmentGroup, MyOfficialsItem);
    });
    row->addStretch(1);
    layout->addWidget(filterRow);

    lblZipResult = new QLabel(Panel6);
    lblZipResult->setWordWrap(true);
    lblZipResult->setContentsMargins(8, 0, 8, 4);
    lblZipResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblZipResult);
    ShowZipRow(false);

    SuperGrid1 = new TSuperGrid(Panel6);
    SuperGrid1->setAccessibleName("Officials");
    connect(SuperGrid1, &TSuperGrid::CheckBoxClick, this, &TfrmMain::SuperGrid1CheckBoxClick);
    connect(SuperGrid1, &TSuperGrid::Click, this, &TfrmMain::SuperGrid1Click);
    connect(SuperGrid1, &TSuperGrid::MouseMove, this, &TfrmMain::SuperGrid1MouseMove);
    layout->addWidget(SuperGrid1, 1);
}

void TfrmMain::CreateTreeView() {
    TreeView1->setHeaderHidden(true);
    TreeView1->setAccessibleName("World Parliaments");
    // A double-click, or Enter on the current node.
    connect(TreeView1, &QTreeWidget::itemActivated, this, [this] { TreeView1DblClick(); });
}

void TfrmMain::ApplyRowColours() {
    SuperGrid1->SetRowColours(SettingColour(Settings.OddRowColor),
                              SettingColour(Settings.EvenRowColor));
}

void TfrmMain::FillTreeView() {
    TreeView1->clear();
    AddTreeNodes(ParliamentTree.Root(), TreeView1->invisibleRootItem());
}

void TfrmMain::TreeView1DblClick() {
    const QTreeWidgetItem* node = TreeView1->currentItem();
    if (node == nullptr || node->childCount() > 0)
        return;
    const QString address = node->data(0, kAddressRole).toString();
    if (!address.isEmpty())
        NavigateTo(address);
}

void TfrmMain::OutlookBar1ItemClick(int group, int item) {
    switch (group) {
        case UsGovernmentGroup:
            ShowListPanel(false);
            switch (item) {
                case 0:
                    EnterSenateOrHouse(SenateView);
                    break;
                case 1:
                    EnterSenateOrHouse(HouseView);
                    break;
                case 2:
                    EnterWhiteHouse();
                    break;
                case 3:
                    NavigateTo(QString::fromStdString(SenateVotesPage()));
                    break;
                case 4:
                    NavigateTo(QString::fromStdString(HouseVotesPage()));
                    break;
                case MyOfficialsItem:
                    EnterMyOfficials();
                    break;
            }
            break;
        case InternationalGroup:
            if (item == 0) {
                ShowListPanel(true);
                EnterWorldLeaders();
            } else {
                EnableBrowserButtons(false);
                pnlContent->setCurrentWidget(TreeView1);
            }
            break;
        case MultimediaGroup:
        case AdditionalLinksGroup:
            NavigateTo(OutlookBar1->ItemAddress(group, item));
            break;
    }
}

// The list panel in place of the browser or the tree, with the filter row of
// the US Government views or of World Leaders.
void TfrmMain::ShowListPanel(bool leaders) {
    pnlContent->setCurrentWidget(Panel6);
    SuperGrid1->SetFixedCols(leaders ? 2 : 1);
    lblGroup->setText(leaders ? "Coun&try:" : "S&tate:");
    for (QPushButton* button : {Button1, Button2, Button3, Button4, Button5})
        button->setVisible(!leaders);
    ShowZipRow(false);
    if (leaders)
        ShowFilterBox(cbContinent);
}

void TfrmMain::ShowFilterBox(QComboBox* box) {
    for (QComboBox* each : {cbSName, cbTerritory, cbContinent})
        each->setVisible(each == box);
    lblGroup->setBuddy(box);
    if (box != cbContinent)
        lastStateBox_ = box;
}

std::span<int> TfrmMain::ColumnWidths() {
    return CurrentView == MyOfficialsView ? std::span<int>(myWidths_) : SavedWidths(CurrentView);
}

// Leaving a view keeps its column widths for the next time it is entered.
void TfrmMain::StoreColumnWidths() {
    const std::span<int> widths = ColumnWidths();
    for (int column = 1;
         column < static_cast<int>(widths.size()) && column < SuperGrid1->ColCount(); ++column)
        widths[column] = SuperGrid1->ColWidth(column);
}

void TfrmMain::SetColumnWidths() {
    const std::span<int> widths = ColumnWidths();
    for (int column = 1;
         column < static_cast<int>(widths.size()) && column < SuperGrid1->ColCount(); ++column)
        SuperGrid1->SetColWidth(column, widths[column]);
}

// Leaves the current view for `view`: its column widths are kept, and the
// browser buttons wait until a page opens again.
void TfrmMain::SwitchView(TListView view) {
    StoreColumnWidths();
    CurrentView = view;
    EnableBrowserButtons(false);
}

void TfrmMain::SetViewColumns(TListView view) {
    const TViewLayout& layout = ViewLayout(view);
    QList<TGridColumn> columns;
    const int count = static_cast<int>(layout.Columns.size());
    for (int column = 0; column < count; ++column) {
        const TViewColumn& each = layout.Columns[column];
        columns.append(
            {each.Title,
             each.Alignment == TColumnAlignment::Centre ? Qt::AlignHCenter : Qt::AlignLeft,
             column >= count - 2});
    }
    SuperGrid1->SetColumns(columns);
    SuperGrid1->SetRowCount(2);
    lblBranch->setText(layout.TitleStrip);
}

void TfrmMain::EnterSenateOrHouse(TListView view) {
    const bool senate = view == SenateView;
    QComboBox* box = senate ? cbSName : cbTerritory;
    QComboBox* other = senate ? cbTerritory : cbSName;
    ShowFilterBox(box);
    if (CurrentView == view)
        return;
    SwitchView(view);
    box->setEnabled(true);
    SetViewColumns(view);
    {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(CarriedFilterItem(senate ? StateItems() : TerritoryItems(),
                                               other->currentText().toStdString()));
    }
    FillGrid();
    SetColumnWidths();
}

void TfrmMain::EnterWhiteHouse() {
    lblBranch->setText(ViewLayout(WhiteHouseView).TitleStrip);
    ShowFilterBox(lastStateBox_);
    if (CurrentView == WhiteHouseView)
        return;
    SwitchView(WhiteHouseView);
    cbSName->setEnabled(false);
    cbTerritory->setEnabled(false);
    SetViewColumns(WhiteHouseView);
    SetColumnWidths();
    SuperGrid1->SetCell(2, 1, Text(PresidentRecord.Name));
    SuperGrid1->SetCell(3, 1, Text(PresidentRecord.Email));
    SuperGrid1->SetCell(4, 1, Text(PresidentRecord.HomePage));
    FillGrid();
}

void TfrmMain::EnterWorldLeaders() {
    if (CurrentView == WorldLeadersView)
        return;
    SwitchView(WorldLeadersView);
    cbContinent->setEnabled(true);
    SetViewColumns(WorldLeadersView);
    SuperGrid1->SetFixedCols(2);
    FillGrid();
    SetColumnWidths();
}

void TfrmMain::cbSNameChange() {
    FillGrid();
}

void TfrmMain::cbTerritoryChange() {
    FillGrid();
}

void TfrmMain::cbContinentChange() {
    FillGrid();
}

void TfrmMain::FillGrid() {
    switch (CurrentView) {
        case SenateView:
        case HouseView:
            FillOfficials();
            break;
        case WhiteHouseView: {
            const bool enabled = !CheckBoxDisabledFor(PresidentRecord.Email);
            SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, 1, enabled);
            SuperGrid1->SetChecked(TSuperGrid::CheckColumn, 1, enabled && PresidentSelected == 1);
            break;
        }
        case WorldLeadersView:
            FillLeaders();
            break;
        case MyOfficialsView:
            FillMyOfficials();
            break;
        default:
            break;
    }
}

void TfrmMain::FillOfficials() {
    const bool senate = CurrentView == SenateView;
    const TOfficialList& list = senate ? SenateList : HouseList;
    const std::vector<std::uint8_t>& selected = senate ? SenateSelected : HouseSelected;
    const std::string filter = senate ? FilterText(StateItems(), cbSName->currentIndex())
                                      : FilterText(TerritoryItems(), cbTerritory->currentIndex());
    const std::vector<int> records = MatchingRecords(list, filter);

    GridRowMap.assign(1, -1);
    SuperGrid1->setUpdatesEnabled(false);
    SuperGrid1->SetRowCount(static_cast<int>(std::max<std::size_t>(records.size(), 1)) + 1);
    SuperGrid1->ClearRow(1);
    // A filter that matches nobody leaves row 1 blank, with no box to tick.
    SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, 1, !records.empty());
    const int emailField = list.FieldCount() - 2;
    int row = 1;
    for (const int record : records) {
        for (int field = 0; field < list.FieldCount(); ++field)
            SuperGrid1->SetCell(field + 2, row, Text(list.Field(record, field)));
        const bool enabled = !CheckBoxDisabledFor(list.Field(record, emailField));
        SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, row, enabled);
        const bool ticked = record < static_cast<int>(selected.size()) && selected[record] == 1;
        SuperGrid1->SetChecked(TSuperGrid::CheckColumn, row, enabled && ticked);
        GridRowMap.push_back(record);
        ++row;
    }
    SuperGrid1->setUpdatesEnabled(true);
}

void TfrmMain::FillLeaders() {
    const std::vector<int> records = MatchingLeaders(LeaderList, cbContinent->currentIndex());
    SuperGrid1->setUpdatesEnabled(false);
    SuperGrid1->SetRowCount(static_cast<int>(std::max<std::size_t>(records.size(), 1)) + 1);
    SuperGrid1->ClearRow(1);
    int row = 1;
    for (const int record : records) {
        for (int field = 1; field < LeaderList.FieldCount() && field <= 5; ++field)
            SuperGrid1->SetCell(field + 1, row, Text(LeaderList.Field(record, field)));
        ++row;
    }
    SuperGrid1->setUpdatesEnabled(true);
}

void TfrmMain::SuperGrid1CheckBoxClick(int, int row, bool checked) {
    const std::uint8_t flag = checked ? 1 : 0;
    switch (CurrentView) {
        case SenateView:
        case HouseView: {
            std::vector<std::uint8_t>& selected =
                CurrentView == SenateView ? SenateSelected : HouseSelected;
            if (row >= 1 && row < static_cast<int>(GridRowMap.size()) &&
                GridRowMap[row] < static_cast<int>(selected.size()))
                selected[GridRowMap[row]] = flag;
            break;
        }
        case WhiteHouseView:
            PresidentSelected = flag;
            break;
        case MyOfficialsView:
            if (row >= 1 && row <= static_cast<int>(myRows_.size())) {
                const TMyOfficialRow& official = myRows_[static_cast<std::size_t>(row) - 1];
                std::vector<std::uint8_t>& selected =
                    official.Senate ? SenateSelected : HouseSelected;
                if (official.Record < static_cast<int>(selected.size()))
                    selected[static_cast<std::size_t>(official.Record)] = flag;
            }
            break;
        default:
            break;
    }
}

// "Select All" and "Clear": every row whose box takes a tick, as if the user
// had clicked it.
void TfrmMain::TickAll(bool checked) {
    for (int row = 1; row < SuperGrid1->RowCount(); ++row) {
        if (!SuperGrid1->CheckBoxEnabled(TSuperGrid::CheckColumn, row))
            continue;
        SuperGrid1CheckBoxClick(TSuperGrid::CheckColumn, row, checked);
        SuperGrid1->SetChecked(TSuperGrid::CheckColumn, row, checked);
    }
}

void TfrmMain::Button1Click() {
    TickAll(true);
}

void TfrmMain::Button2Click() {
    TickAll(false);
}

void TfrmMain::Button3Click() {
    if (ShowPartySelection)
        ShowPartySelection();
}

// A click on one of the last two columns of a data row follows its link.
void TfrmMain::SuperGrid1Click(int column, int row) {
    if (row < 1 || column < SuperGrid1->ColCount() - 2)
        return;
    const QString text = SuperGrid1->Cell(column, row);
    switch (LinkActionFor(text.toStdString())) {
        case TLinkAction::Nothing:
            break;
        case TLinkAction::OpenPage:
            NavigateTo(text);
            break;
        case TLinkAction::WriteEmail:
            if (Settings.UseRemoteEmail)
                NavigateTo("mailto:" + text);
            else if (ComposeTo)
                ComposeTo(text);
            break;
    }
}

void TfrmMain::SuperGrid1MouseMove(QPoint position) {
    const TGridCoord cell = SuperGrid1->MouseCoord(position);
    const bool link = cell.Row >= 0 && cell.Column >= SuperGrid1->ColCount() - 2 &&
                      LinkActionFor(SuperGrid1->Cell(cell.Column, cell.Row).toStdString()) !=
                          TLinkAction::Nothing;
    SuperGrid1->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
}
