// TfrmUpdate: the window of the list update procedure (TListUpdater).
//
// Creating the window starts a check. In the automatic check, at program
// start, it stays hidden unless the server has newer lists; in the manual
// check (ManualCheck set) it shows at once and always ends with an answer.
// When it offers lists it disables the main window until it closes; "Yes"
// starts the download run, whose end closes the window. Closing it, by any
// means, ends the check or run in progress (a run then records nothing) and
// enables the main window again.
//
// The window has no Qt parent, so that disabling the main window leaves it
// usable; it deletes itself when closed. Whoever keeps a pointer to it uses a
// QPointer. User-interface thread only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <string>

#include "update/list_updater.h"

class IDialogs;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// Set by the main window's "Check For List Updates"; never cleared. Every
// update window created after it is set makes the manual check.
extern bool ManualCheck;

// Where the window opens over the main window: centred on each axis when it
// then ends before the screen's edge, else at the main window's edge.
QPoint PlaceOverMainWindow(const QRect& mainWindow, const QSize& window, const QSize& screen);

class TfrmUpdate : public QDialog {
  public:
    // `mainWindow` is disabled while updates are offered or downloaded and
    // must outlive this window or be closed after it; `dialogs` shows the
    // warnings and must outlive the window. `programDirectory` ends in "/".
    TfrmUpdate(QWidget* mainWindow, IDialogs& dialogs, std::string programDirectory,
               qv::TUpdateServers servers = qv::DefaultUpdateServers());

    // The procedure the window shows.
    qv::TListUpdater& Updater() { return *updater_; }

    QPlainTextEdit* Memo1;
    QLabel* Label2;
    QPushButton* btnOK;       // "Yes"
    QPushButton* btnCancel;   // "No"
    QPushButton* btnAbort;    // in the place of Yes and No while checking or downloading
    QPushButton* btnOKclose;  // in their place after a manual check found nothing
    QLabel* lblStatus;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void CreateControls();
    void FormCreate();
    void FormClose();
    void CheckDone(qv::TCheckOutcome outcome);
    void ShowButtons(bool yesNo, bool abort, bool okClose);

    void btnOKClick();
    void btnAbortClick();

    QPointer<QWidget> mainWindow_;
    IDialogs& dialogs_;
    qv::TListUpdater* updater_;
};
