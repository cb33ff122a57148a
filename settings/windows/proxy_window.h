#pragma once

#include <QDialog>

class IDialogs;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The connection settings window: the SMTP server, user name and reply-to
// address that the compose window sends with, the HTTP proxy of the updater,
// and the largest number of recipients per message. It edits the
// process-wide Settings record and writes the settings file on OK; Cancel and
// the close box change nothing.
//
// A new window is made for each opening (Execute); it lives on the
// user-interface thread. `dialogs` must outlive it.
class TfrmProxy : public QDialog {
    Q_OBJECT

  public:
    static constexpr int ClientWidth = 312;
    static constexpr int ClientHeight = 331;
    // How much taller the introduction (and so the window) is at the first run.
    static constexpr int FirstRunGrowth = 75;

    TfrmProxy(QWidget* mainWindow, IDialogs& dialogs);

    // Shows a new window modally over `mainWindow` and releases it afterwards.
    static void Execute(QWidget* mainWindow, IDialogs& dialogs);

    // Takes every field into Settings and saves the file, then closes. A
    // refused write is shown as a warning; Settings is then put back as it
    // was and the window stays open with what was typed.
    void btnOKClick();

    QLabel* pnlIntro;  // the first run's introduction
    QTabWidget* PageControl1;
    QLineEdit* txtSMTP;
    QLineEdit* txtUser;
    QLineEdit* txtReplyTo;
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

    QWidget* mainWindow_;
    IDialogs& dialogs_;
    bool shown_ = false;

    QLabel* lblSMTP;
    QLabel* lblSMTPHelp;
    QLabel* lblUser;
    QLabel* lblUserHelp;
    QLabel* lblReplyTo;
};

// Whether the maximum-recipients field lets a typed character through: the
// digits, space, backspace, line feed, carriage return and delete.
bool IsMaxRecipientsKey(QChar typed);
