#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <exception>
#include <memory>

#include "mail/delivery.h"
#include "mail/mail_message.h"
#include "mail/salutation.h"
#include "mail/smtp_client.h"
#include "mail/windows/contact_edits.h"

class IDialogs;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class TfrmAttach;
class TfrmSendProgress;
enum class TWorkOutcome;

namespace qv::sent {
class TSentRecords;
}

// The compose window: one message with its recipients, the sender's contact
// details and attachments, sent through the SMTP server of the settings in
// one transaction or, from the maximum per message on, in several. A text
// with placeholders ("Dear {Title} {LastName},") goes to each recipient in a
// letter and a transaction of its own, and the "Preview" tab shows the
// first recipient's letter.
//
// Modeless, with a taskbar entry of its own, and tied to the main window: it
// is destroyed when it closes or, at the latest, with the main window. It
// reads and writes the process-wide Settings. The network steps of a send
// action run on a worker thread while an application-modal progress window
// is up; the action goes on from the event loop when they end. Everything
// else runs on the user-interface thread. `dialogs` and `attach` must
// outlive the window.
class TfrmSendMessage : public QMainWindow {
    Q_OBJECT

  public:
    TfrmSendMessage(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach);
    ~TfrmSendMessage() override;

    // Where each send action is recorded; null records nothing. Must outlive
    // the window.
    void SetSentRecords(qv::sent::TSentRecords* records) { records_ = records; }

    // Replaces the attachment list and its caption.
    void SetAttachments(const QStringList& paths);

    // The send action: checks the settings, stores the contact details,
    // finds the password (keyring, or the user where there is none) and
    // starts the network steps with the account of the settings, then
    // returns; the rest follows when they end. A failure after the
    // connection is raised from the event loop (to
    // the application's error box) with the window left open.
    void BitBtn1Click();
    // From the press of "Send Message" until the action ends.
    bool Sending() const;
    void BitBtn2Click();
    void btnLoadMessageClick();
    void btnSaveMessageClick();
    void CloseWindow1Click();
    void AddAttachment1Click();

    QLineEdit* txtFrom;
    QLineEdit* txtTo;
    QLineEdit* txtCC;
    QLineEdit* txtBCC;
    QLineEdit* txtSubject;
    QTabWidget* PageControl1;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* memPreview;  // read-only: the first recipient's letter
    QCheckBox* chkContact;
    QLineEdit* txtName;
    QLineEdit* txtAddr1;
    QLineEdit* txtAddr2;
    QLineEdit* txtCity;
    QLineEdit* txtState;
    QLineEdit* txtZip;
    QLineEdit* txtHomeP;
    QLineEdit* txtWorkP;
    QLineEdit* txtFax;
    QLineEdit* txtDist;
    QCheckBox* chkHideFrom;
    QCheckBox* chkSendCopy;  // "Send me a copy"
    QLabel* Panel16;  // the attachment paths
    TfrmSendProgress* frmProgress;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* btnLoadMessage;
    QPushButton* btnSaveMessage;
    QAction* LoadMessage1;
    QAction* SaveMessage1;
    QAction* CloseWindow1;
    QAction* AddAttachment1;

    // Full paths of the attachment files, in order.
    QStringList lbAttach;
    // The body of the last send action: the message text with the contact
    // block or the e-mail line in front.
    QString Memo2;

    qv::TMailMessage Msg;
    qv::TSmtpClient SMTP;
    // The records of the officials chosen in the review window, by address;
    // an address typed by hand has none.
    qv::TRecipientRecords RecipientRecords;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    QWidget* CreateHeader();
    QWidget* CreateContactTab();
    QWidget* CreateOptionsTab();
    void CreateMenus();

    void FormCreate();
    void FormShow();
    void FormResize();

    // Shows the warning that the mail settings are missing over `parent`,
    // and the connection settings window if the user asks for it.
    void WarnNotConfigured(QWidget* parent);
    void StoreContactSettings();
    // The send action's request from the fields as they stand.
    qv::TSendRequest RequestFromFields() const;
    // Asks before letters with placeholders go to addresses typed by hand;
    // false when the user declines.
    bool TypedAddressesAccepted(const qv::TSendRequest& request);
    void UpdatePreview();
    void StartDelivery();
    // Hands the subject and text to the main window if it keeps them
    // (mail/windows/composed_letter.h).
    void KeepLetter();
    void SendEnded(TWorkOutcome outcome, std::exception_ptr failure);
    void ReportRecordProblem(const QString& problem);
    void SaveCopy();
    void SaveMemoTo(const QString& path);

    struct TSendAction;

    QWidget* mainWindow_;
    IDialogs& dialogs_;
    TfrmAttach& attach_;
    QWidget* Panel1;  // holds the five header edits
    TContactEdits contactEdits_;
    bool FShown = false;
    qv::sent::TSentRecords* records_ = nullptr;
    // The send action under way, from its network steps to its end.
    std::unique_ptr<TSendAction> action_;
};

// Creates a compose window with its recipient fields set and shows it; its
// first showing then decides "Hide From Field" by the number of entries.
// Its send actions are recorded in `records` (may be null); `officials` are
// the officials' records of the entries, by address.
TfrmSendMessage* OpenComposeWindow(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach,
                                   const QString& to, const QString& cc, const QString& bcc,
                                   qv::sent::TSentRecords* records = nullptr,
                                   qv::TRecipientRecords officials = {});

// Creates and shows a compose window and then puts `address` into To, as an
// e-mail cell of the main grid does.
TfrmSendMessage* OpenComposeWindowTo(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach,
                                     const QString& address,
                                     qv::sent::TSentRecords* records = nullptr);

// Where the attachment window opens over a compose window with frame
// `compose` on a screen of `screen` pixels.
QPoint PlaceAttachWindow(const QRect& compose, const QSize& attach, const QSize& screen);
