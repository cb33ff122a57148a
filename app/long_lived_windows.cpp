#include "app/long_lived_windows.h"

#include "app/app_state.h"
#include "app/list_views.h"
#include "app/main_window.h"
#include "mail/windows/compose_window.h"
#include "mail/windows/party_select_window.h"

TLongLivedWindows CreateLongLivedWindows(QWidget* mainWindow, IDialogs& dialogs) {
    TLongLivedWindows windows;
    windows.frmGroupEmail = new TfrmGroupEmail(mainWindow, dialogs);
    windows.frmAbout = new TfrmAbout(mainWindow);
    windows.frmColor = new TfrmColor(mainWindow, dialogs);
    windows.frmAttach = new TfrmAttach(mainWindow, dialogs);
    windows.frmGroupEmail->SetAttachWindow(windows.frmAttach);
    windows.frmGroupEmail->SetHouseViewQuery([] { return CurrentView == HouseView; });
    return windows;
}

void ConnectMessageWindows(TfrmMain& frmMain, IDialogs& dialogs, const TLongLivedWindows& windows) {
    frmMain.ShowPartySelection = [&frmMain, &dialogs] {
        TfrmAdvancedSelect::Execute(&frmMain, dialogs, [&frmMain] { frmMain.FillGrid(); });
    };
    TfrmAttach* attach = windows.frmAttach;
    frmMain.ComposeTo = [&frmMain, &dialogs, attach](const QString& address) {
        OpenComposeWindowTo(&frmMain, dialogs, *attach, address);
    };
}
