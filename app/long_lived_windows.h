#pragma once

#include <QDialog>

#include "mail/windows/attach_window.h"
#include "mail/windows/review_window.h"

class IDialogs;

// The windows created once at start that stay alive, hidden, until the end.
// The about and grid colour windows are empty frames for now; each is filled
// in with the work on its own window.

class TfrmAbout : public QDialog {
  public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

class TfrmColor : public QDialog {
  public:
    explicit TfrmColor(QWidget* parent = nullptr);
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
