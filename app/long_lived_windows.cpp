#include "app/long_lived_windows.h"

#include <QAction>

#include "app/app_state.h"
#include "app/list_views.h"
#include "app/main_window.h"
#include "mail/windows/compose_window.h"
#include "mail/windows/party_select_window.h"
#include "sent/windows/sent_window.h"

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

void ConnectMessageWindows(TfrmMain& frmMain, IDialogs& dialogs, const TLongLivedWindows& windows,
                           qv::sent::TSentRecords& records) {
    frmMain.ShowPartySelection = [&frmMain, &dialogs] {
        TfrmAdvancedSelect::Execute(&frmMain, dialogs, [&frmMain] { frmMain.FillGrid(); });
    };
    if (windows.frmGroupEmail != nullptr)
        windows.frmGroupEmail->SetWebForms([&frmMain] { return frmMain.CurrentListHasWebForms(); },
                                           [&frmMain] { frmMain.ShowWebForms(); });
    TfrmAttach* attach = windows.frmAttach;
    windows.frmGroupEmail->SetSentRecords(&records);
    frmMain.SetSentRecords(&records);
    frmMain.ComposeTo = [&frmMain, &dialogs, attach, &records](const QString& address) {
        OpenComposeWindowTo(&frmMain, dialogs, *attach, address, &records);
    };
    QObject::connect(frmMain.SentMessages1, &QAction::triggered, &frmMain,
                     [&frmMain, &dialogs, attach, &records] {
                         ShowSentMessages(&frmMain, dialogs, records,
                                          [&frmMain, &dialogs, attach, &records](
                                              const qv::sent::TMessageFields& fields) {
                                              SendAgain(&frmMain, dialogs, *attach, &records,
                                                        fields);
                                          });
                     });
}
