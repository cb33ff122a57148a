#include "app/long_lived_windows.h"

TfrmGroupEmail::TfrmGroupEmail(QWidget* parent) : QDialog(parent) {}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {}

TfrmColor::TfrmColor(QWidget* parent) : QDialog(parent) {}

TLongLivedWindows CreateLongLivedWindows(QWidget* mainWindow, IDialogs& dialogs) {
    TLongLivedWindows windows;
    windows.frmGroupEmail = new TfrmGroupEmail(mainWindow);
    windows.frmAbout = new TfrmAbout(mainWindow);
    windows.frmColor = new TfrmColor(mainWindow);
    windows.frmAttach = new TfrmAttach(mainWindow, dialogs);
    return windows;
}
