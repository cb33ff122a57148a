#include "mail/windows/party_select_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/dialogs.h"
#include "controls/window_placement.h"
#include "lists/official_list.h"
#include "mail/recipient_selection.h"

namespace {

// Ticking the "all" box of a chamber disables its party boxes, which keep
// their state.
void DisableWhenAll(QCheckBox* all, QCheckBox* democrats, QCheckBox* republicans) {
    QObject::connect(all, &QCheckBox::toggled, [democrats, republicans](bool on) {
        democrats->setEnabled(!on);
        republicans->setEnabled(!on);
    });
}

}  // namespace

TfrmAdvancedSelect::TfrmAdvancedSelect(QWidget* mainWindow, std::function<void()> fillGrid)
    : QDialog(mainWindow), fillGrid_(std::move(fillGrid)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle("Advanced Selection Options");

    auto* layout = new QVBoxLayout(this);
    auto* senate = new QGroupBox("Senate", this);
    auto* senateBoxes = new QVBoxLayout(senate);
    chkSenateAll = new QCheckBox("Select all &Senators", senate);
    chkSenateDem = new QCheckBox("Select all Senate &Democrats", senate);
    chkSenateRep = new QCheckBox("Select all Senate &Republicans", senate);
    for (QCheckBox* box : {chkSenateAll, chkSenateDem, chkSenateRep})
        senateBoxes->addWidget(box);
    layout->addWidget(senate);

    auto* house = new QGroupBox("House of Representatives", this);
    auto* houseBoxes = new QVBoxLayout(house);
    chkHouseAll = new QCheckBox("Select all &members of the House of Representatives", house);
    chkHouseDem = new QCheckBox("Select all D&emocrats in the House of Representatives", house);
    chkHouseRep = new QCheckBox("Select all Re&publicans in the House of Representatives", house);
    for (QCheckBox* box : {chkHouseAll, chkHouseDem, chkHouseRep})
        houseBoxes->addWidget(box);
    layout->addWidget(house);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Cancel", this);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);

    DisableWhenAll(chkSenateAll, chkSenateDem, chkSenateRep);
    DisableWhenAll(chkHouseAll, chkHouseDem, chkHouseRep);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmAdvancedSelect::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate(mainWindow);
}

void TfrmAdvancedSelect::FormCreate(QWidget* mainWindow) {
    adjustSize();
    if (mainWindow != nullptr)
        move(PlaceOverOwner(*mainWindow, frameGeometry().size()));
}

void TfrmAdvancedSelect::Execute(QWidget* mainWindow, IDialogs& dialogs,
                                 std::function<void()> fillGrid) {
    TfrmAdvancedSelect window(mainWindow, std::move(fillGrid));
    dialogs.ShowModal(window);
}

void TfrmAdvancedSelect::BitBtn1Click() {
    qv::SelectByParty(SenateList, qv::kSenateColumns,
                      {chkSenateAll->isChecked(), chkSenateDem->isChecked(),
                       chkSenateRep->isChecked()},
                      SenateSelected);
    qv::SelectByParty(HouseList, qv::kHouseColumns,
                      {chkHouseAll->isChecked(), chkHouseDem->isChecked(),
                       chkHouseRep->isChecked()},
                      HouseSelected);
    if (fillGrid_)
        fillGrid_();
    accept();
}
