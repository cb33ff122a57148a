#pragma once

#include "app/small_windows.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/review_window.h"

class IDialogs;
class TfrmMain;

namespace qv::sent {
class TSentRecords;
}

// The windows created once at start that stay alive, hidden, until the end.

// Non-owning pointers; the windows are children of the main window.
struct TLongLivedWindows {
    TfrmGroupEmail* frmGroupEmail = nullptr;
    TfrmAbout* frmAbout = nullptr;
    TfrmColor* frmColor = nullptr;
    TfrmAttach* frmAttach = nullptr;
};

// Creates the windows in start-up order (review, about, colours,
// attachments) as hidden children of `mainWindow`. `dialogs` must outlive
// them.
TLongLivedWindows CreateLongLivedWindows(QWidget* mainWindow, IDialogs& dialogs);

// Gives the main window's "Full Select..." command the party selection
// window, its e-mail cells the compose window, the review window's warning
// about an empty selection the way to the Web Forms window, and its "Sent
// Messages..." command the record's window, whose "Send Again" opens a
// compose window. Compose windows record their sends in `records`.
// `dialogs`, `records` and the windows must outlive the main window's use of
// them.
void ConnectMessageWindows(TfrmMain& frmMain, IDialogs& dialogs, const TLongLivedWindows& windows,
                           qv::sent::TSentRecords& records);
