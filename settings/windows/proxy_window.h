#pragma once

#include <QDialog>
#include <exception>
#include <string>

#include "mail/smtp_client.h"
#include "mail/smtp_probe.h"

class IDialogs;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TfrmSendProgress;
enum class TWorkOutcome;

// The connection settings window: the SMTP server, port, security, user name,
// password and reply-to address that the compose window sends with, the HTTP
// proxy of the updater, and the largest number of recipients per message. It
// edits the process-wide Settings record and writes the settings file on OK,
// and keeps the password in the desktop's keyring (MailPasswordStore); Cancel
// and the close box change nothing. "Test Connection" tries the mail fields
// as typed on a worker thread, behind the progress window.
//
// A new window is made for each opening (Execute); it lives on the
// user-interface thread. `dialogs` must outlive it.
class TfrmProxy : public QDialog {
    Q_OBJECT

  public:
    static constexpr int ClientWidth = 312;
    // The height of the window's design; the mail account's fields below
    // the reply-to address make it taller by what they need.
    static constexpr int ClientHeight = 331;
    // How much taller the introduction (and so the window) is at the first run.
    static constexpr int FirstRunGrowth = 75;

    TfrmProxy(QWidget* mainWindow, IDialogs& dialogs);
    // Stops a connection test that still runs and waits for it.
    ~TfrmProxy() override;

    // Shows a new window modally over `mainWindow` and releases it afterwards.
    static void Execute(QWidget* mainWindow, IDialogs& dialogs);

    // Keeps a changed password in the keyring, then takes every field into
    // Settings and saves the file, then closes. A refused keyring or file
    // write is shown as a warning; Settings is then put back as it was and
    // the window stays open with what was typed.
    void btnOKClick();

    // Connects to the server of the mail fields as typed, negotiates and
    // logs in as a send would, shows what the server offered and
    // disconnects. A failure is shown as a warning.
    void btnTestConnectionClick();

    // The account of the mail fields as typed: an empty or invalid port is
    // the usual one for the security.
    qv::TSmtpAccount AccountFromFields() const;

    QLabel* pnlIntro;  // the first run's introduction
    QTabWidget* PageControl1;
    QLineEdit* txtSMTP;
    QLineEdit* txtUser;
    QLineEdit* txtReplyTo;
    QLineEdit* txtPassword;
    QLabel* lblPasswordNote;  // where the password is kept
    QComboBox* cbSecurity;    // item i is SMTP Security i
    QLineEdit* txtSMTPPort;
    QPushButton* btnTestConnection;
    TfrmSendProgress* frmProgress;
    QCheckBox* chkUseProxy;
    QCheckBox* chkAuthorize;
    QLineEdit* txtProxyHost;
    QLineEdit* txtProxyPort;
    QLineEdit* txtProxyUser;
    QLineEdit* txtProxyPassword;
    QLineEdit* txtMaxRecip;
    QPushButton* btnOK;
    QPushButton* btnCancel;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* CreateEmailTab();
    QWidget* CreateProxyTab();
    QWidget* CreateAdvancedTab();
    void FillFromSettings();
    void StackEmailTab();

    void chkUseProxyClick(bool on);
    void chkAuthorizeClick(bool on);
    void cbSecurityChange(int security);

    void ReadPassword();
    void StoreSettings();
    void SetKeyringBusy(bool busy);
    void TestEnded(TWorkOutcome outcome, std::exception_ptr failure);

    // Where the password stands: being read from the keyring, read (and so
    // kept there on OK), or not kept because no keyring is available.
    enum class TPasswordState { Reading, Kept, NoKeyring };

    QWidget* mainWindow_;
    IDialogs& dialogs_;
    bool shown_ = false;
    bool portTyped_ = false;
    TPasswordState passwordState_ = TPasswordState::Reading;
    std::string loadedKey_;             // the keyring entry read at opening
    std::string loadedPassword_;        // and what it held
    qv::TSmtpClient probe_;             // the connection test's session
    qv::TSmtpProbeResult probeResult_;  // written by the worker thread

    QLabel* lblSMTP;
    QLabel* lblSMTPHelp;
    QLabel* lblUser;
    QLabel* lblUserHelp;
    QLabel* lblReplyTo;
    QLabel* lblPassword;
    QLabel* lblSecurity;
    QLabel* lblSMTPPort;
};

// The choices of the security drop-down, in the order of the SMTP Security
// values 0 to 3.
QStringList SmtpSecurityChoices();

// Whether the maximum-recipients field lets a typed character through: the
// digits, space, backspace, line feed, carriage return and delete.
bool IsMaxRecipientsKey(QChar typed);
