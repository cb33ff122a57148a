#include "mail/windows/review_window.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "controls/dialogs.h"
#include "controls/window_placement.h"
#include "lists/official_list.h"
#include "mail/recipient_selection.h"
#include "mail/windows/compose_window.h"

namespace {

constexpr int RowHeight = 22;
constexpr int TickColumnWidth = 32;
const char* const NothingSelectedWarning =
    "No representatives selected. Please select representatives to email before composing "
    "message.";

QTableWidget* CreateGrid(const QStringList& titles, int emailColumn, QWidget* parent) {
    auto* grid = new QTableWidget(2, static_cast<int>(titles.size()), parent);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    for (int column = 0; column < titles.size(); ++column) {
        auto* title = new QTableWidgetItem(titles[column]);
        title->setBackground(QColor(192, 192, 192));
        title->setFlags(Qt::ItemIsEnabled);
        grid->setItem(0, column, title);
    }
    grid->setColumnHidden(0, true);
    grid->setColumnHidden(emailColumn, true);
    grid->setColumnWidth(1, TickColumnWidth);
    return grid;
}

// Two rows: the title row and an empty, unticked row 1.
void Empty(QTableWidget& grid) {
    grid.setRowCount(2);
    for (int column = 0; column < grid.columnCount(); ++column)
        grid.setItem(1, column, new QTableWidgetItem);
    SetRowTicked(grid, 1, false);
    grid.setRowHeight(1, RowHeight);
}

// Lists the flagged records of `list`, row 1 first; row 1 is hidden when
// there are none. `fields` names, per grid column from 2 on, the list field
// shown there. Returns how many were listed.
int Fill(QTableWidget& grid, const TOfficialList& list, const std::vector<std::uint8_t>& flags,
         const std::vector<int>& fields) {
    Empty(grid);
    int listed = 0;
    const int rows = std::min(list.RowCount(), static_cast<int>(flags.size()));
    for (int record = 0; record < rows; ++record) {
        if (flags[static_cast<std::size_t>(record)] != 1)
            continue;
        const int row = ++listed;
        if (row >= grid.rowCount())
            grid.setRowCount(row + 1);
        for (int column = 0; column < grid.columnCount(); ++column)
            grid.setItem(row, column, new QTableWidgetItem);
        SetRowTicked(grid, row, true);
        for (std::size_t i = 0; i < fields.size(); ++i)
            grid.item(row, static_cast<int>(i) + 2)
                ->setText(QString::fromStdString(list.Field(record, fields[i])));
    }
    grid.setRowHeight(1, listed == 0 ? 0 : RowHeight);
    return listed;
}

void CollectTicked(const QTableWidget& grid, int emailColumn, std::vector<std::string>& addresses) {
    for (int row = 1; row < grid.rowCount(); ++row)
        if (IsRowTicked(grid, row))
            addresses.push_back(CellText(grid, emailColumn, row).toStdString());
}

}  // namespace

bool IsRowTicked(const QTableWidget& grid, int row) {
    const QTableWidgetItem* tick = grid.item(row, 1);
    return tick != nullptr && tick->checkState() == Qt::Checked;
}

void SetRowTicked(QTableWidget& grid, int row, bool ticked) {
    QTableWidgetItem* tick = grid.item(row, 1);
    if (tick == nullptr)
        grid.setItem(row, 1, tick = new QTableWidgetItem);
    tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    tick->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

QString CellText(const QTableWidget& grid, int column, int row) {
    const QTableWidgetItem* cell = grid.item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

TfrmGroupEmail::TfrmGroupEmail(QWidget* mainWindow, IDialogs& dialogs)
    : QDialog(mainWindow), MainWindow(mainWindow), Dialogs(dialogs) {
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
    Dialogs.ShowModal(*this);
}

void TfrmGroupEmail::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmGroupEmail::FormShow() {
    Empty(*SuperGrid1);
    if (MainWindow != nullptr) {
        const QSize screen = ScreenExtent(*MainWindow);
        const QPoint main = MainWindow->pos();
        move(main.x() + 5 < screen.width() ? main.x() + 5 : main.x(),
             main.y() + 22 < screen.height() ? main.y() + 22 : main.y());
    }
    PageControl1->setCurrentWidget(HouseViewShown && HouseViewShown() ? TabSheet2 : TabSheet1);

    const auto& s = qv::kSenateColumns;
    const auto& h = qv::kHouseColumns;
    const int senators = Fill(*SuperGrid1, SenateList, SenateSelected, {s.Name, s.State, s.Party, s.Email});
    const int representatives = Fill(*SuperGrid3, HouseList, HouseSelected,
                                     {h.Name, h.State, h.Party, h.District, h.Email});
    chkPres->setChecked(PresidentSelected == 1);
    chkBCC->setChecked(qv::BccByDefault(senators, representatives));
}

void TfrmGroupEmail::BitBtn2Click() {
    std::vector<std::string> addresses;
    CollectTicked(*SuperGrid1, SenateEmail, addresses);
    CollectTicked(*SuperGrid3, HouseEmail, addresses);
    if (chkPres->isChecked())
        addresses.push_back(PresidentRecord.Email);
    if (addresses.empty()) {
        Dialogs.WarningAt(this, NothingSelectedWarning, pos() + QPoint(25, 25));
        accept();
        return;
    }
    const QString recipients = QString::fromStdString(qv::JoinRecipients(addresses));
    if (Attach != nullptr) {
        if (chkBCC->isChecked())
            OpenComposeWindow(MainWindow, Dialogs, *Attach, {}, {}, recipients);
        else
            OpenComposeWindow(MainWindow, Dialogs, *Attach, recipients, {}, {});
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
