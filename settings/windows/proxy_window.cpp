#include "settings/windows/proxy_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>
#include <optional>

#include "controls/dialogs.h"
#include "controls/window_placement.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace {

constexpr int kTabMargin = 8;
constexpr int kFieldLeft = 112;
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
QLabel* FieldLabel(const QString& text, QLineEdit* field, QWidget* parent) {
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

}  // namespace

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
    setFixedSize(ClientWidth, ClientHeight);

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

    connect(btnOK, &QPushButton::clicked, this, &TfrmProxy::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkUseProxy, &QCheckBox::toggled, this, &TfrmProxy::chkUseProxyClick);
    connect(chkAuthorize, &QCheckBox::toggled, this, &TfrmProxy::chkAuthorizeClick);
    txtMaxRecip->installEventFilter(this);

    FillFromSettings();
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
    lblReplyTo = FieldLabel("&Reply-To Address:", txtReplyTo, tab);
    StackEmailTab();
    return tab;
}

void TfrmProxy::StackEmailTab() {
    const int textWidth = ClientWidth - 8 - 2 * kTabMargin;
    const int fieldWidth = ClientWidth - 8 - kFieldLeft - kTabMargin;
    auto place = [&](QLabel* label, QLineEdit* field, int labelTop) {
        label->setGeometry(kTabMargin, labelTop, kFieldLeft - kTabMargin, label->sizeHint().height());
        field->setGeometry(kFieldLeft, labelTop - 4, fieldWidth, field->sizeHint().height());
    };
    auto wrap = [&](QLabel* text, int top) {
        text->setGeometry(kTabMargin, top, textWidth, text->heightForWidth(textWidth));
    };
    auto bottom = [](const QWidget* widget) { return widget->y() + widget->height(); };

    place(lblSMTP, txtSMTP, kHeadingHeight + 12);
    wrap(lblSMTPHelp, bottom(txtSMTP) + 4);
    place(lblUser, txtUser, bottom(lblSMTPHelp) + 9);
    wrap(lblUserHelp, bottom(txtUser) + 4);
    place(lblReplyTo, txtReplyTo, bottom(lblUserHelp) + 9);
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
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        Settings = before;
        dialogs_.Warning(this, QString::fromStdString(error.what()));
        return;
    }
    accept();
}
