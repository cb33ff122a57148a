#pragma once

#include <QDialog>

// The windows created once at start that stay alive, hidden, until the end.
// For now they are empty frames; each is filled in with the work on its own
// window (recipient review, about, grid colours, attachments).

class TfrmGroupEmail : public QDialog {
  public:
    explicit TfrmGroupEmail(QWidget* parent = nullptr);
};

class TfrmAbout : public QDialog {
  public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

class TfrmColor : public QDialog {
  public:
    explicit TfrmColor(QWidget* parent = nullptr);
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
// attachments) as hidden children of `mainWindow`.
TLongLivedWindows CreateLongLivedWindows(QWidget* mainWindow);
