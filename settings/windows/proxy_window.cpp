#include "settings/windows/proxy_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <optional>

#include "controls/dialogs.h"
#include "controls/send_progress.h"
#include "controls/window_placement.h"
#include "mail/delivery.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "settings/windows/mail_account.h"

namespace {

constexpr int kTabMargin = 8;
constexpr int kFieldLeft = 112;
constexpr int kLabelGap = 4;  // between a label's text and its field
constexpr int kHeadingHeight = 24;

const char* const kSMTPHelpText =
    "The SMTP server is your outgoing mail server. Check with your email program or Internet "
    "provider for its name.";
const char* const kUserHelpText =
    "The SMTP username is usually the part of your email address before the @ sign. For "
    "example, if your email address is jane.doe@example.com, your SMTP username is jane.doe.";
const char* const kProxyNoteText =
    "These settings are used primarily by computers which are connected into corporate or "
    "organizational networks. If you are unable to update the Quorvane representative "
    "listings, you may need to update the settings in this window.";
const char* const kMaxRecipHelpText =
    "Enter the maximum number of recipients per email message your mail server allows.  "
    "Messages with more than this number of recipients will be split into multiple emails. "
    "The default setting of 99 recipients should work for most mail servers.";
const char* const kPasswordKeptNote =
    "The password is kept in your desktop's keyring, not in the settings file.";
const char* const kReadingKeyringNote = "Reading the password from the keyring...";
const char* const kTestFailed = "The connection test failed.";
const char* const kTestSucceeded = "The connection test succeeded. The server offered:";
const char* const kIntroText =
    "Enter your email settings below so Quorvane can send messages. In the proxy settings tab "
    "verify your proxy settings. Generally, proxies are only needed for non-dialup "
    "(corporate/network) connections.";

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    heading->setStyleSheet("background-color: teal; color: yellow; font-weight: bold;");
    heading->setContentsMargins(6, 0, 0, 0);
    heading->setFixedHeight(kHeadingHeight);
    return heading;
}

QLabel* HelpText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// A label whose mnemonic moves the focus to `field`, which the screen reader
// then announces by the label's text.
QLabel* FieldLabel(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(QString(text).remove('&').remove(':').trimmed());
    return label;
}

std::string Text(const QLineEdit* field) {
    return field->text().toStdString();
}

// The field as an integer in the settings file's notation; blanks around it
// do not count.
std::optional<int> Number(const QLineEdit* field) {
    return ParseProfileInteger(field->text().trimmed().toStdString());
}

bool IsUsualSmtpPort(const QString& text) {
    const std::optional<int> port = ParseProfileInteger(text.trimmed().toStdString());
    return port && (*port == 25 || *port == 465 || *port == 587);
}

// What the connection test found, in a window of its own so that a long
// list of extensions can be read, selected and copied.
void ShowTestResult(QWidget* parent, IDialogs& dialogs, const QString& description) {
    QDialog window(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint);
    window.setWindowTitle("Test Connection");
    auto* layout = new QVBoxLayout(&window);
    auto* heading = new QLabel(kTestSucceeded, &window);
    auto* text = new QPlainTextEdit(description, &window);
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    text->setAccessibleName("What the server offered");
    text->setMinimumSize(380, 200);
    auto* ok = new QPushButton("OK", &window);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &window, &QDialog::accept);
    layout->addWidget(heading);
    layout->addWidget(text, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);
    dialogs.ShowModal(window);
}

}  // namespace

QStringList SmtpSecurityChoices() {
    return {"None (unencrypted)", "STARTTLS if offered", "STARTTLS, required",
            "SSL/TLS from the start"};
}

bool IsMaxRecipientsKey(QChar typed) {
    const char16_t c = typed.unicode();
    return (c >= u'0' && c <= u'9') || c == u' ' || c == u'\b' || c == u'\n' || c == u'\r' ||
           c == 0x7f;
}

TfrmProxy::TfrmProxy(QWidget* mainWindow, IDialogs& dialogs)
    : QDialog(mainWindow,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint),
      mainWindow_(mainWindow),
      dialogs_(dialogs) {
    setWindowTitle("Proxy Settings");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(6);

    pnlIntro = HelpText(kIntroText, this);
    pnlIntro->setContentsMargins(8, 0, 8, 0);
    pnlIntro->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pnlIntro->setFixedHeight(1);
    layout->addWidget(pnlIntro);

    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(CreateEmailTab(), "email Settings");
    PageControl1->addTab(CreateProxyTab(), "Proxy Settings");
    PageControl1->addTab(CreateAdvancedTab(), "Advanced");
    layout->addWidget(PageControl1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton("OK", this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addSpacing(8);
    layout->addLayout(buttons);

    // The design's size, unless the e-mail tab needs more height.
    setFixedSize(ClientWidth, std::max(ClientHeight, layout->totalMinimumSize().height()));

    frmProgress = new TfrmSendProgress(this);
    frmProgress->setWindowTitle("Test Connection");

    connect(btnOK, &QPushButton::clicked, this, &TfrmProxy::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnTestConnection, &QPushButton::clicked, this, &TfrmProxy::btnTestConnectionClick);
    connect(chkUseProxy, &QCheckBox::toggled, this, &TfrmProxy::chkUseProxyClick);
    connect(chkAuthorize, &QCheckBox::toggled, this, &TfrmProxy::chkAuthorizeClick);
    txtMaxRecip->installEventFilter(this);

    FillFromSettings();
    // Only a port the user types is theirs to keep; one filled in here may
    // follow the security.
    connect(txtSMTPPort, &QLineEdit::textEdited, this, [this] { portTyped_ = true; });
    connect(cbSecurity, &QComboBox::currentIndexChanged, this, &TfrmProxy::cbSecurityChange);
    ReadPassword();
}

// The progress window goes first: it stops and waits for a test that still
// uses probe_.
TfrmProxy::~TfrmProxy() {
    delete frmProgress;
}

void TfrmProxy::Execute(QWidget* mainWindow, IDialogs& dialogs) {
    TfrmProxy window(mainWindow, dialogs);
    dialogs.ShowModal(window);
}

// The e-mail tab's fields are stacked below the first help text at fixed
// distances once the help texts know their wrapped heights (StackEmailTab).
QWidget* TfrmProxy::CreateEmailTab() {
    auto* tab = new QWidget;
    Heading("email Settings", tab)->setGeometry(0, 0, ClientWidth - 8, kHeadingHeight);
    txtSMTP = new QLineEdit(tab);
    lblSMTP = FieldLabel("SMTP &Server:", txtSMTP, tab);
    lblSMTPHelp = HelpText(kSMTPHelpText, tab);
    txtUser = new QLineEdit(tab);
    lblUser = FieldLabel("SMTP &Username:", txtUser, tab);
    lblUserHelp = HelpText(kUserHelpText, tab);
    txtReplyTo = new QLineEdit(tab);
    // What a new user fills in is shown in the empty fields, as examples.
    txtSMTP->setPlaceholderText("smtp.example.com");
    txtReplyTo->setPlaceholderText("you@example.com");
    txtReplyTo->setToolTip(
        "Your e-mail address: messages go out from it and officials reply to it");
    txtReplyTo->setAccessibleDescription(txtReplyTo->toolTip());
    lblReplyTo = FieldLabel("&Reply-To Address:", txtReplyTo, tab);
    txtPassword = new QLineEdit(tab);
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPassword = FieldLabel("SMTP P&assword:", txtPassword, tab);
    lblPasswordNote = HelpText(kReadingKeyringNote, tab);
    cbSecurity = new QComboBox(tab);
    cbSecurity->addItems(SmtpSecurityChoices());
    lblSecurity = FieldLabel("Se&curity:", cbSecurity, tab);
    txtSMTPPort = new QLineEdit(tab);
    txtSMTPPort->setValidator(new QIntValidator(1, 65535, txtSMTPPort));
    lblSMTPPort = FieldLabel("Por&t:", txtSMTPPort, tab);
    btnTestConnection = new QPushButton("T&est Connection", tab);
    StackEmailTab();
    return tab;
}

void TfrmProxy::StackEmailTab() {
    // The fields start where the design put them, or further right where the
    // font's labels need more room than the design's font did.
    int fieldLeft = kFieldLeft;
    for (const QLabel* label :
         {lblSMTP, lblUser, lblReplyTo, lblPassword, lblSecurity, lblSMTPPort})
        fieldLeft = std::max(fieldLeft, kTabMargin + label->sizeHint().width() + kLabelGap);
    const int textWidth = ClientWidth - 8 - 2 * kTabMargin;
    const int fieldWidth = ClientWidth - 8 - fieldLeft - kTabMargin;
    auto place = [&](QLabel* label, QWidget* field, int labelTop, int width) {
        label->setGeometry(kTabMargin, labelTop, fieldLeft - kTabMargin, label->sizeHint().height());
        field->setGeometry(fieldLeft, labelTop - 4, width, field->sizeHint().height());
    };
    auto wrap = [&](QLabel* text, int top) {
        text->setGeometry(kTabMargin, top, textWidth, text->heightForWidth(textWidth));
    };
    auto bottom = [](const QWidget* widget) { return widget->y() + widget->height(); };

    place(lblSMTP, txtSMTP, kHeadingHeight + 12, fieldWidth);
    wrap(lblSMTPHelp, bottom(txtSMTP) + 4);
    place(lblUser, txtUser, bottom(lblSMTPHelp) + 9, fieldWidth);
    wrap(lblUserHelp, bottom(txtUser) + 4);
    place(lblReplyTo, txtReplyTo, bottom(lblUserHelp) + 9, fieldWidth);

    // The account's further fields follow at the same distances: each field
    // 9 pixels below what is above it. The note keeps room for two lines,
    // whichever text it shows.
    place(lblPassword, txtPassword, bottom(txtReplyTo) + 13, fieldWidth);
    wrap(lblPasswordNote, bottom(txtPassword) + 4);
    lblPasswordNote->setText(kNoKeyringNote);
    lblPasswordNote->setFixedHeight(lblPasswordNote->heightForWidth(textWidth));
    lblPasswordNote->setText(kReadingKeyringNote);
    place(lblSecurity, cbSecurity, bottom(lblPasswordNote) + 13, fieldWidth);
    place(lblSMTPPort, txtSMTPPort, bottom(cbSecurity) + 13, 56);
    const QSize button = btnTestConnection->sizeHint();
    btnTestConnection->setGeometry(ClientWidth - 8 - kTabMargin - button.width(),
                                   bottom(cbSecurity) + 9, button.width(), button.height());
    auto* tab = txtSMTP->parentWidget();
    tab->setMinimumHeight(bottom(btnTestConnection) + kTabMargin);
}

QWidget* TfrmProxy::CreateProxyTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, kTabMargin);
    layout->addWidget(Heading("Proxy Settings", tab));

    auto* body = new QGridLayout;
    body->setContentsMargins(kTabMargin, 4, kTabMargin, 0);
    chkUseProxy = new QCheckBox("Use &Proxy Server", tab);
    chkAuthorize = new QCheckBox("UserName &Required", tab);
    body->addWidget(chkUseProxy, 0, 0);
    body->addWidget(chkAuthorize, 0, 1);
    txtProxyHost = new QLineEdit(tab);
    txtProxyPort = new QLineEdit(tab);
    txtProxyUser = new QLineEdit(tab);
    txtProxyPassword = new QLineEdit(tab);
    const std::pair<const char*, QLineEdit*> fields[] = {{"Proxy &Host:", txtProxyHost},
                                                         {"Proxy P&ort:", txtProxyPort},
                                                         {"User &Name:", txtProxyUser},
                                                         {"Pass&word:", txtProxyPassword}};
    int row = 1;
    for (const auto& [caption, field] : fields) {
        body->addWidget(FieldLabel(caption, field, tab), row, 0);
        body->addWidget(field, row++, 1);
    }
    layout->addLayout(body);
    auto* note = HelpText(kProxyNoteText, tab);
    note->setContentsMargins(kTabMargin, 0, kTabMargin, 0);
    layout->addWidget(note);
    layout->addStretch(1);
    return tab;
}

QWidget* TfrmProxy::CreateAdvancedTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(kTabMargin, kTabMargin, kTabMargin, kTabMargin);
    auto* row = new QHBoxLayout;
    txtMaxRecip = new QLineEdit(tab);
    txtMaxRecip->setFixedWidth(48);
    row->addWidget(FieldLabel("&Max. Recipients Per email: ", txtMaxRecip, tab));
    row->addWidget(txtMaxRecip);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(HelpText(kMaxRecipHelpText, tab));
    layout->addStretch(1);
    return tab;
}

void TfrmProxy::FillFromSettings() {
    // Both boxes start off; turning one on runs its click rule.
    chkUseProxy->setChecked(Settings.UseProxy);
    chkAuthorize->setChecked(Settings.UseProxyAuthorization);
    txtProxyHost->setText(QString::fromStdString(Settings.ProxyHost));
    txtProxyPort->setText(QString::number(Settings.ProxyPort));
    txtProxyUser->setText(QString::fromStdString(Settings.ProxyUsername));
    txtProxyPassword->setText(QString::fromStdString(Settings.ProxyPassword));
    txtSMTP->setText(QString::fromStdString(Settings.SMTPServer));
    txtUser->setText(QString::fromStdString(Settings.EmailUser));
    txtReplyTo->setText(QString::fromStdString(Settings.ReplyTo));
    cbSecurity->setCurrentIndex(static_cast<int>(
        qv::SmtpSecurityFromInt(Settings.SMTPSecurity).value_or(qv::TSmtpSecurity::None)));
    txtSMTPPort->setText(QString::number(Settings.SMTPPort));
    txtMaxRecip->setText(QString::number(Settings.MaxRecipients));
    if (!Settings.UseProxy) {
        txtProxyHost->setEnabled(false);
        txtProxyPort->setEnabled(false);
    }
    if (!Settings.UseProxyAuthorization) {
        txtProxyUser->setEnabled(false);
        txtProxyPassword->setEnabled(false);
    }
    // The authorization box stays usable at opening even without a proxy.
    chkAuthorize->setEnabled(true);
}

void TfrmProxy::chkUseProxyClick(bool on) {
    txtProxyHost->setEnabled(on);
    txtProxyPort->setEnabled(on);
    chkAuthorize->setEnabled(on);
    if (on)
        chkAuthorize->setChecked(false);
    txtProxyUser->setEnabled(false);
    txtProxyPassword->setEnabled(false);
}

void TfrmProxy::chkAuthorizeClick(bool on) {
    txtProxyUser->setEnabled(on);
    txtProxyPassword->setEnabled(on);
}

void TfrmProxy::cbSecurityChange(int security) {
    if (portTyped_)
        return;
    const QString port = txtSMTPPort->text().trimmed();
    if (port.isEmpty() || IsUsualSmtpPort(port)) {
        const auto chosen = qv::SmtpSecurityFromInt(security).value_or(qv::TSmtpSecurity::None);
        txtSMTPPort->setText(QString::number(qv::UsualSmtpPort(chosen)));
    }
}

// The field waits, disabled, until the keyring has answered; where there is
// no keyring it still takes a password for the connection test.
void TfrmProxy::ReadPassword() {
    loadedKey_ = MailPasswordKey(Settings.EmailUser, Settings.SMTPServer);
    if (Settings.EmailUser.empty() || Settings.SMTPServer.empty()) {
        // No account yet, so nothing to read: a locked keyring is not asked
        // to open for it.
        passwordState_ = TPasswordState::Kept;
        lblPasswordNote->setText(kPasswordKeptNote);
        return;
    }
    txtPassword->setEnabled(false);
    MailPasswordStore().Read(loadedKey_, this, [this](const TPasswordRead& read) {
        txtPassword->setEnabled(true);
        if (read.Status == TPasswordRead::TStatus::Unavailable) {
            passwordState_ = TPasswordState::NoKeyring;
            lblPasswordNote->setText(kNoKeyringNote);
            FirstKeyringNotice();  // the note has told the user
            return;
        }
        passwordState_ = TPasswordState::Kept;
        lblPasswordNote->setText(kPasswordKeptNote);
        loadedPassword_ = read.Password;
        // What the user typed meanwhile stays.
        if (txtPassword->text().isEmpty())
            txtPassword->setText(QString::fromStdString(read.Password));
    });
}

qv::TSmtpAccount TfrmProxy::AccountFromFields() const {
    const qv::TSmtpSecurity security =
        qv::SmtpSecurityFromInt(cbSecurity->currentIndex()).value_or(qv::TSmtpSecurity::None);
    const std::optional<int> port = Number(txtSMTPPort);
    return {.Host = Text(txtSMTP),
            .Port = port && *port >= 1 && *port <= 65535 ? *port : qv::UsualSmtpPort(security),
            .Security = security,
            .User = Text(txtUser),
            .Password = Text(txtPassword),
            .CaFile = {}};
}

void TfrmProxy::btnTestConnectionClick() {
    if (frmProgress->Busy())
        return;
    const qv::TSmtpAccount account = AccountFromFields();
    probe_.SetAccount(account);
    probe_.ResetCancel();
    frmProgress->Start(
        QString::fromStdString(qv::ConnectingText(account.Host)),
        {[this] { probeResult_ = qv::ProbeSmtpServer(probe_); }, [this] { probe_.Cancel(); },
         [](std::exception_ptr) { return QString("Connection test cancelled."); }},
        [this](TWorkOutcome outcome, std::exception_ptr failure) { TestEnded(outcome, failure); });
}

void TfrmProxy::TestEnded(TWorkOutcome outcome, std::exception_ptr failure) {
    if (outcome == TWorkOutcome::Cancelled)
        return;
    if (outcome == TWorkOutcome::Failed) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            dialogs_.Warning(
                this, QString("%1\n\n%2").arg(kTestFailed, QString::fromLocal8Bit(error.what())));
        }
        return;
    }
    ShowTestResult(this, dialogs_,
                   QString::fromStdString(qv::DescribeProbeResult(probeResult_))
                       .replace("\r\n", "\n")
                       .trimmed());
}

void TfrmProxy::SetKeyringBusy(bool busy) {
    for (QWidget* control : {static_cast<QWidget*>(btnOK), static_cast<QWidget*>(btnCancel),
                             static_cast<QWidget*>(btnTestConnection)})
        control->setEnabled(!busy);
}

void TfrmProxy::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        if (FirstRun) {
            pnlIntro->setFixedHeight(pnlIntro->height() + FirstRunGrowth);
            setFixedSize(width(), height() + FirstRunGrowth);
        }
        if (mainWindow_ != nullptr)
            move(PlaceOverOwner(*mainWindow_, size()));
    }
    QDialog::showEvent(event);
}

bool TfrmProxy::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtMaxRecip && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        // Keys that type nothing (arrows, Home, Tab) keep working.
        if (typed.size() == 1 && typed[0].isPrint() && !IsMaxRecipientsKey(typed[0]))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmProxy::btnOKClick() {
    if (!btnOK->isEnabled())
        return;
    const std::string key = MailPasswordKey(Text(txtUser), Text(txtSMTP));
    const std::string password = Text(txtPassword);
    // Nothing to keep or to forget: no keyring, or the same password for
    // the same account, or no password before or now.
    if (passwordState_ != TPasswordState::Kept ||
        (password == loadedPassword_ && (key == loadedKey_ || password.empty()))) {
        StoreSettings();
        return;
    }
    SetKeyringBusy(true);
    MailPasswordStore().Write(key, password, this, [this, key, password](const auto& failure) {
        SetKeyringBusy(false);
        if (failure) {
            dialogs_.Warning(this, QString("The password could not be kept in the keyring: %1")
                                       .arg(QString::fromStdString(*failure)));
            return;
        }
        // The entry of the account as it was would hold a password no
        // setting leads to any more.
        if (key != loadedKey_ && !loadedPassword_.empty())
            MailPasswordStore().Write(loadedKey_, {}, this, [](const auto&) {});
        loadedKey_ = key;
        loadedPassword_ = password;
        StoreSettings();
    });
}

void TfrmProxy::StoreSettings() {
    const TSettings before = Settings;
    Settings.ProxyHost = Text(txtProxyHost);
    Settings.ProxyPort = Number(txtProxyPort).value_or(8080);
    Settings.ProxyUsername = Text(txtProxyUser);
    Settings.ProxyPassword = Text(txtProxyPassword);
    Settings.UseProxy = chkUseProxy->isChecked();
    Settings.UseProxyAuthorization = chkAuthorize->isChecked();
    Settings.SMTPServer = Text(txtSMTP);
    Settings.EmailUser = Text(txtUser);
    Settings.ReplyTo = Text(txtReplyTo);
    if (const std::optional<int> max = Number(txtMaxRecip))
        Settings.MaxRecipients = *max;
    const qv::TSmtpAccount account = AccountFromFields();
    Settings.SMTPSecurity = static_cast<int>(account.Security);
    Settings.SMTPPort = account.Port;
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        Settings = before;
        dialogs_.Warning(this, QString::fromStdString(error.what()));
        return;
    }
    accept();
}
