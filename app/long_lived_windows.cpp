#include "app/long_lived_windows.h"

TfrmGroupEmail::TfrmGroupEmail(QWidget* parent) : QDialog(parent) {}

TfrmAttach::TfrmAttach(QWidget* parent) : QDialog(parent) {}

TLongLivedWindows CreateLongLivedWindows(QWidget* mainWindow, IDialogs& dialogs) {
    TLongLivedWindows windows;
    windows.frmGroupEmail = new TfrmGroupEmail(mainWindow);
    windows.frmAbout = new TfrmAbout(mainWindow);
    windows.frmColor = new TfrmColor(mainWindow, dialogs);
    windows.frmAttach = new TfrmAttach(mainWindow);
    return windows;
}
