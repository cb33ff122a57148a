#include "mail/windows/review_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <string>
#include <utility>
#include <vector>

#include "controls/dialogs.h"
#include "controls/super_grid.h"
#include "controls/window_placement.h"
#include "lists/official_list.h"
#include "mail/recipient_selection.h"
#include "mail/salutation.h"
#include "mail/windows/compose_window.h"

namespace {

constexpr int kTickColumnWidth = 32;
constexpr int kNameColumn = 2;
const QColor kSilver(192, 192, 192);
const char* const kNothingSelectedWarning =
    "No representatives selected. Please select representatives to email before composing "
    "message.";

TSuperGrid* CreateGrid(const QStringList& titles, int emailColumn, QWidget* parent) {
    auto* grid = new TSuperGrid(parent);
    QList<TGridColumn> columns;
    for (const QString& title : titles)
        columns.append({title});
    grid->SetColumns(columns);
    grid->SetRowColours(Qt::white, Qt::white);
    grid->SetFixedColour(kSilver);
    grid->SetColumnHidden(emailColumn, true);
    grid->SetColWidth(TSuperGrid::CheckColumn, kTickColumnWidth);
    return grid;
}

// Two rows: the title row and an empty, unticked row 1.
void Empty(TSuperGrid& grid) {
    grid.SetRowCount(2);
    grid.ClearRow(1);
    grid.SetRowHeight(1, TSuperGrid::DefaultRowHeight);
}

// Lists the flagged records of `list`, row 1 first; row 1 is hidden when
// there are none. `fields` names, per grid column from 2 on, the list field
// shown there; `positions` gets each listed record's position in `list`, row
// 1 first. Returns how many were listed.
int Fill(TSuperGrid& grid, const TOfficialList& list, const std::vector<std::uint8_t>& flags,
         const std::vector<int>& fields, std::vector<int>& positions) {
    Empty(grid);
    positions.clear();
    int listed = 0;
    const int records = std::min(list.RowCount(), static_cast<int>(flags.size()));
    for (int record = 0; record < records; ++record) {
        if (flags[static_cast<std::size_t>(record)] != 1)
            continue;
        const int row = ++listed;
        if (row >= grid.RowCount())
            grid.SetRowCount(row + 1);
        grid.SetChecked(TSuperGrid::CheckColumn, row, true);
        positions.push_back(record);
        for (std::size_t i = 0; i < fields.size(); ++i)
            grid.SetCell(static_cast<int>(i) + 2, row,
                         QString::fromStdString(list.Field(record, fields[i])));
    }
    grid.SetRowHeight(1, listed == 0 ? 0 : TSuperGrid::DefaultRowHeight);
    return listed;
}

// The ticked rows' addresses, each with its official's record. A list read
// again since the window was filled (the updater runs beside it) may hold
// another official at that place; the address then goes without a record.
void CollectTicked(const TSuperGrid& grid, int emailColumn, const TOfficialList& list,
                   const std::vector<int>& positions, qv::TRecordKind kind, int listEmailField,
                   std::vector<std::string>& addresses, qv::TRecipientRecords& records) {
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!grid.Checked(TSuperGrid::CheckColumn, row))
            continue;
        const std::string address = grid.Cell(emailColumn, row).toStdString();
        addresses.push_back(address);
        const std::size_t index = static_cast<std::size_t>(row - 1);
        if (index < positions.size() && positions[index] < list.RowCount() &&
            list.Field(positions[index], listEmailField) == address)
            records.Add(address, qv::RecordFromList(kind, list, positions[index]));
    }
}

}  // namespace

TfrmGroupEmail::TfrmGroupEmail(QWidget* mainWindow, IDialogs& dialogs)
    : QDialog(mainWindow), mainWindow_(mainWindow), dialogs_(dialogs) {
    setWindowTitle("Group email");
    resize(520, 380);

    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel("Review your selections below:", this);
    layout->addWidget(Label1);

    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    TabSheet3 = new QWidget;
    SuperGrid1 = CreateGrid({"", "", "Name", "State", "Party", ""}, SenateEmail, TabSheet1);
    SuperGrid1->setAccessibleName("Senators");
    SuperGrid3 =
        CreateGrid({"", "", "Name", "State", "Party", "District", ""}, HouseEmail, TabSheet2);
    SuperGrid3->setAccessibleName("House Members");
    (new QVBoxLayout(TabSheet1))->addWidget(SuperGrid1);
    (new QVBoxLayout(TabSheet2))->addWidget(SuperGrid3);
    chkPres = new QCheckBox("Send message to &President of the United States", TabSheet3);
    auto* president = new QVBoxLayout(TabSheet3);
    president->addWidget(chkPres);
    president->addStretch(1);
    PageControl1->addTab(TabSheet1, "&Senators");
    PageControl1->addTab(TabSheet2, "&House Members");
    PageControl1->addTab(TabSheet3, "P&resident");
    layout->addWidget(PageControl1, 1);

    chkBCC = new QCheckBox("&BCC Recipients", this);
    chkBCC->setToolTip("Blind Copy Recipients (Hide other recipients from individual emails)");
    chkBCC->setAccessibleDescription(chkBCC->toolTip());
    layout->addWidget(chkBCC);

    Panel3 = new QWidget(this);
    BitBtn2 = new QPushButton("Compose Message", Panel3);
    BitBtn2->setDefault(true);
    BitBtn1 = new QPushButton("Cancel", Panel3);
    Panel3->setFixedHeight(BitBtn2->sizeHint().height() + 8);
    Panel3->installEventFilter(this);
    layout->addWidget(Panel3);

    connect(BitBtn2, &QPushButton::clicked, this, &TfrmGroupEmail::BitBtn2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmGroupEmail::Execute() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    dialogs_.ShowModal(*this);
}

void TfrmGroupEmail::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmGroupEmail::FormShow() {
    Empty(*SuperGrid1);
    if (mainWindow_ != nullptr) {
        const QSize screen = ScreenExtent(*mainWindow_);
        const QPoint main = mainWindow_->pos();
        move(main.x() + 5 < screen.width() ? main.x() + 5 : main.x(),
             main.y() + 22 < screen.height() ? main.y() + 22 : main.y());
    }
    PageControl1->setCurrentWidget(houseViewShown_ && houseViewShown_() ? TabSheet2 : TabSheet1);

    const auto& s = qv::kSenateColumns;
    const auto& h = qv::kHouseColumns;
    const int senators = Fill(*SuperGrid1, SenateList, SenateSelected,
                              {s.Name, s.State, s.Party, s.Email}, senatePositions_);
    const int representatives =
        Fill(*SuperGrid3, HouseList, HouseSelected, {h.Name, h.State, h.Party, h.District, h.Email},
             housePositions_);
    // The names are what the user checks here; their column takes their
    // width rather than the grid's default.
    for (TSuperGrid* grid : {SuperGrid1, SuperGrid3})
        grid->resizeColumnToContents(kNameColumn);
    chkPres->setChecked(PresidentSelected == 1);
    chkBCC->setChecked(qv::BccByDefault(senators, representatives));
}

void TfrmGroupEmail::BitBtn2Click() {
    std::vector<std::string> addresses;
    qv::TRecipientRecords officials;
    CollectTicked(*SuperGrid1, SenateEmail, SenateList, senatePositions_, qv::TRecordKind::Senate,
                  qv::kSenateColumns.Email, addresses, officials);
    CollectTicked(*SuperGrid3, HouseEmail, HouseList, housePositions_, qv::TRecordKind::House,
                  qv::kHouseColumns.Email, addresses, officials);
    if (chkPres->isChecked()) {
        addresses.push_back(PresidentRecord.Email);
        officials.Add(PresidentRecord.Email, qv::RecordFromPresident(PresidentRecord));
    }
    if (addresses.empty()) {
        const QPoint at = pos() + QPoint(25, 25);
        if (hasWebForms_ && openWebForms_ && hasWebForms_()) {
            const bool toForms = dialogs_.WarningWithAction(this, kNothingSelectedWarning, at,
                                                            "Write Through Web Forms...");
            accept();
            if (toForms)
                openWebForms_();
            return;
        }
        dialogs_.WarningAt(this, kNothingSelectedWarning, at);
        accept();
        return;
    }
    const QString recipients = QString::fromStdString(qv::JoinRecipients(addresses));
    if (attach_ != nullptr) {
        if (chkBCC->isChecked())
            OpenComposeWindow(mainWindow_, dialogs_, *attach_, {}, {}, recipients, records_,
                              std::move(officials));
        else
            OpenComposeWindow(mainWindow_, dialogs_, *attach_, recipients, {}, {}, records_,
                              std::move(officials));
    }
    accept();
}

bool TfrmGroupEmail::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel3 && event->type() == QEvent::Resize)
        Panel3Resize();
    return QDialog::eventFilter(watched, event);
}

void TfrmGroupEmail::Panel3Resize() {
    const int width = Panel3->width();
    const int top = (Panel3->height() - BitBtn2->sizeHint().height()) / 2;
    BitBtn2->move(static_cast<int>(width * 0.19), top);
    BitBtn1->move(static_cast<int>(width * 0.51), top);
    BitBtn2->resize(BitBtn2->sizeHint());
    BitBtn1->resize(BitBtn1->sizeHint());
}
