#pragma once

#include <QDialog>

#include "app/small_windows.h"

class IDialogs;

// The windows created once at start that stay alive, hidden, until the end.
// The review and attachment windows are empty frames for now; each is filled
// in with the work on its own window.

class TfrmGroupEmail : public QDialog {
  public:
    explicit TfrmGroupEmail(QWidget* parent = nullptr);
};

class TfrmAttach : public QDialog {
  public:
    explicit TfrmAttach(QWidget* parent = nullptr);
};

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
