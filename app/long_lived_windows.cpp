#include "app/long_lived_windows.h"

#include "app/app_state.h"

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {}

TfrmColor::TfrmColor(QWidget* parent) : QDialog(parent) {}

TLongLivedWindows CreateLongLivedWindows(QWidget* mainWindow, IDialogs& dialogs) {
    TLongLivedWindows windows;
    windows.frmGroupEmail = new TfrmGroupEmail(mainWindow, dialogs);
    windows.frmAbout = new TfrmAbout(mainWindow);
    windows.frmColor = new TfrmColor(mainWindow);
    windows.frmAttach = new TfrmAttach(mainWindow, dialogs);
    windows.frmGroupEmail->SetAttachWindow(windows.frmAttach);
    // View 1 is the House.
    windows.frmGroupEmail->SetHouseViewQuery([] { return CurrentView == 1; });
    return windows;
}
