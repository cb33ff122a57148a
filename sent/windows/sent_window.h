#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

#include "sent/sent_message.h"

class IDialogs;
class TfrmAttach;
class TfrmSendMessage;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace qv::sent {
class TSentRecords;
class TSentStore;
}  // namespace qv::sent

// Opens the compose window filled in with a recorded message's fields.
using TSendAgain = std::function<void(const qv::sent::TMessageFields&)>;

// The "Sent Messages" window: the recorded send actions, newest first,
// narrowed by a search over recipients, subject and text; the chosen
// message's whole text with its recipients; "Send Again" and "Export...".
//
// Modeless. Reads the store on the user-interface thread; the list is read
// again whenever the window becomes active, so sends recorded meanwhile
// appear. `store` and `dialogs` must outlive the window. With an empty
// `sendAgain`, "Send Again" stays disabled.
class TfrmSentMessages : public QDialog {
    Q_OBJECT

  public:
    TfrmSentMessages(qv::sent::TSentStore& store, IDialogs& dialogs, TSendAgain sendAgain,
                     QWidget* parent = nullptr);

    // Reads the list again for the search text, keeping the chosen message.
    void Refresh();

    void txtSearchChange();
    void lvMessagesSelect();
    void btnSendAgainClick();
    void btnExportClick();

    // The message shown, or 0.
    std::int64_t CurrentId() const;

    QLineEdit* txtSearch;
    QTreeWidget* lvMessages;
    QLabel* lblCount;
    QPlainTextEdit* memMessage;
    QPushButton* btnSendAgain;
    QPushButton* btnExport;
    QPushButton* btnClose;

  protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void ShowMessage(std::int64_t id);
    // Runs a read of the store; a failure becomes a warning and false.
    template <typename F>
    bool Reading(F&& read);

    qv::sent::TSentStore& Store;
    IDialogs& Dialogs;
    TSendAgain SendAgain;
    qv::sent::TSentMessage Shown;  // what memMessage holds (Id 0: nothing)
    QString LastProblem;           // the last read failure shown
};

// Shows the main window's "Sent Messages" window, creating it when it is not
// open, or tells the user why the record cannot be opened. Also tells, once,
// that a damaged record was set aside. Returns the window, or nullptr.
TfrmSentMessages* ShowSentMessages(QWidget* mainWindow, IDialogs& dialogs,
                                   qv::sent::TSentRecords& records, TSendAgain sendAgain);

// "Send Again": opens a compose window filled in with a recorded message's
// recipients, subject, text and attachments, and its sender when one was
// recorded; its send is recorded in `records` (may be null).
TfrmSendMessage* SendAgain(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach,
                           qv::sent::TSentRecords* records,
                           const qv::sent::TMessageFields& fields);
