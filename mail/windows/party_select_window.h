#pragma once

#include <QDialog>
#include <functional>

class IDialogs;
class QCheckBox;
class QPushButton;

// The party selection window ("Full Select..."): adds every mailable senator
// or representative, or those of a party, to the selection flags and has the
// main window's grid show them. Flags are only ever set.
//
// Made for one showing and destroyed when it closes; user-interface thread.
class TfrmAdvancedSelect : public QDialog {
    Q_OBJECT

  public:
    // `fillGrid` is the main window's grid refresh, called after OK changed
    // the flags; it may be empty.
    TfrmAdvancedSelect(QWidget* mainWindow, std::function<void()> fillGrid);

    // Shows a new window modally over `mainWindow`.
    static void Execute(QWidget* mainWindow, IDialogs& dialogs, std::function<void()> fillGrid);

    void BitBtn1Click();

    QCheckBox* chkSenateAll;
    QCheckBox* chkSenateDem;
    QCheckBox* chkSenateRep;
    QCheckBox* chkHouseAll;
    QCheckBox* chkHouseDem;
    QCheckBox* chkHouseRep;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

  private:
    void FormCreate(QWidget* mainWindow);

    std::function<void()> fillGrid_;
};
