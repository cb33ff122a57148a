#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class IDialogs;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class TSuperGrid;
class TfrmAttach;

namespace qv::sent {
class TSentRecords;
}

// The review window ("Group email"): lists the senators and representatives
// whose selection flags are set, and the President flag, with a tick each;
// "Compose Message" opens a compose window with the ticked officials'
// addresses in To, or in BCC when "BCC Recipients" is ticked, and their
// records for the letter's placeholders. Ticks changed
// here do not flow back into the selection flags.
//
// Created once at start as a hidden child of the main window and refilled
// on every showing. User-interface thread only; `dialogs` must outlive it.
class TfrmGroupEmail : public QDialog {
    Q_OBJECT

  public:
    // Grid columns. Column 0 and the address column are hidden.
    enum TSenateColumn { SenateName = 2, SenateState, SenateParty, SenateEmail };
    enum THouseColumn { HouseName = 2, HouseState, HouseParty, HouseDistrict, HouseEmail };

    TfrmGroupEmail(QWidget* mainWindow, IDialogs& dialogs);

    // The shared attachment window that compose windows opened from here use.
    void SetAttachWindow(TfrmAttach* attach) { attach_ = attach; }
    // Where compose windows opened from here record their send actions.
    void SetSentRecords(qv::sent::TSentRecords* records) { records_ = records; }
    // Tells whether the main window's grid shows the House, so that the
    // House tab comes first.
    void SetHouseViewQuery(std::function<bool()> query) { houseViewShown_ = std::move(query); }
    // When `hasWebForms` says that the main window's list has officials
    // whose contact is a web form, the warning about an empty selection also
    // offers "Write Through Web Forms...", which calls `open` once this
    // window has closed. Either may be empty.
    void SetWebForms(std::function<bool()> hasWebForms, std::function<void()> open) {
        hasWebForms_ = std::move(hasWebForms);
        openWebForms_ = std::move(open);
    }

    // The send tool button: shows the window modally, or brings it to the
    // front when it is already showing.
    void Execute();

    // Fills the window from the lists and flags and places it; runs on every
    // showing.
    void FormShow();
    void BitBtn2Click();

    QLabel* Label1;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    TSuperGrid* SuperGrid1;
    TSuperGrid* SuperGrid3;
    QCheckBox* chkPres;
    QCheckBox* chkBCC;
    QWidget* Panel3;  // holds the two buttons
    QPushButton* BitBtn2;
    QPushButton* BitBtn1;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Panel3Resize();

    QWidget* mainWindow_;
    IDialogs& dialogs_;
    TfrmAttach* attach_ = nullptr;
    qv::sent::TSentRecords* records_ = nullptr;
    std::function<bool()> houseViewShown_;
    // The position in its list of each grid row's official, row 1 first.
    std::vector<int> senatePositions_;
    std::vector<int> housePositions_;
    std::function<bool()> hasWebForms_;
    std::function<void()> openWebForms_;
};
