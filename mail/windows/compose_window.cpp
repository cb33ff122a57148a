#include "mail/windows/compose_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <exception>
#include <stdexcept>

#include "controls/dialogs.h"
#include "controls/send_progress.h"
#include "controls/window_placement.h"
#include "mail/delivery.h"
#include "mail/net_errors.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/composed_letter.h"
#include "mail/windows/contact_edits.h"
#include "mail/windows/letter_file.h"
#include "sent/mail_record.h"
#include "sent/sent_records.h"
#include "settings/settings.h"
#include "settings/windows/mail_account.h"
#include "settings/windows/proxy_window.h"

namespace {

const char* const kNotConfiguredWarning =
    "Warning: Mail settings are not configured.\n"
    "Will not be able to send message until settings are finished.";
const char* const kConnectFailedWarning =
    "Unable to connect to SMTP server.  Check your SMTP server setting in Quorvane and verify "
    "your Internet connection.";
const char* const kSentQuestion =
    "Message was sent successfully. Would you like to save a copy of the message?";
const char* const kCloseQuestion = "Close window without sending message?";
// The way from the warning above to the settings it asks for.
const char* const kOpenSettingsAction = "Connection Settings...";
const char* const kHideFromText =
    "Hides from field in message header to prevent email autoresponders from filling up your "
    "mailbox when mailing multiple representatives. Will include reply-to address in body of "
    "message, so representative can still respond.";
const char* const kTextFilter = "Text Files (*.txt)";
// Asked before letters with placeholders go to addresses typed by hand.
const char* const kOneTypedQuestion =
    "One recipient was typed by hand rather than chosen from a list, so the letter to it has "
    "no official's details: {Name} reads \"Sir or Madam\" and {LastName}, {Title}, {State} and "
    "{District} are left empty.\n\nSend the message anyway?";
const char* const kSomeTypedQuestion =
    "%1 recipients were typed by hand rather than chosen from a list, so the letters to them "
    "have no official's details: {Name} reads \"Sir or Madam\" and {LastName}, {Title}, {State} "
    "and {District} are left empty.\n\nSend the message anyway?";
const QString kNotRecorded = "This send could not be kept in Sent Messages. ";
const char* const kSendCopyText =
    "Sends a copy of the message to the From address, in the first transaction.";

constexpr int kHeaderRowHeight = 26;
constexpr int kHeaderEditMargin = 18;
// More recipient entries than this hide the sender at the first showing.
constexpr int kHideFromAbove = 10;

std::string Text(const QLineEdit* field) {
    return field->text().toStdString();
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

bool MailSettingsMissing() {
    return Settings.SMTPServer.empty() || Settings.EmailUser.empty();
}

}  // namespace

// Passes the send action's steps on to the progress window and counts the
// transactions sent. Called on the worker thread.
class TSendProgressReporter : public qv::IDeliveryObserver {
  public:
    explicit TSendProgressReporter(TfrmSendProgress& progress) : progress_(progress) {}

    void Connecting(const std::string& host) override {
        progress_.Report(Q(qv::ConnectingText(host)));
    }

    void SendingTransaction(std::size_t number, std::size_t total,
                            std::size_t recipients) override {
        progress_.Report(Q(qv::SendingText(number, total, recipients)));
    }

    void TransactionSent(std::size_t) override { ++sent_; }

    std::size_t SentCount() const { return sent_.load(); }

  private:
    TfrmSendProgress& progress_;
    std::atomic<std::size_t> sent_{0};
};

// What the progress window says once a cancelled action has ended.
QString CancelledText(std::exception_ptr failure, std::size_t sent) {
    try {
        std::rethrow_exception(failure);
    } catch (const qv::ESendCancelled& cancelled) {
        return QString("Sending cancelled. Transactions sent: %1 of %2.")
            .arg(cancelled.Sent())
            .arg(cancelled.Total());
    } catch (...) {
        return QString("Sending cancelled. Transactions sent: %1.").arg(sent);
    }
}

QPoint PlaceAttachWindow(const QRect& compose, const QSize& attach, const QSize& screen) {
    const int halfWidth = compose.width() / 2;
    const int left = compose.left() + 2 * halfWidth < screen.width()
                         ? compose.left() + halfWidth - attach.width() / 2
                         : compose.left();
    return {left, CentreOnOwner(compose.top(), compose.height(), attach.height(), screen.height())};
}

TfrmSendMessage::TfrmSendMessage(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach)
    : QMainWindow(nullptr), mainWindow_(mainWindow), dialogs_(dialogs), attach_(attach) {
    // No parent widget, so the window gets a taskbar entry of its own; it
    // still goes with the main window.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    if (mainWindow != nullptr)
        connect(mainWindow, &QObject::destroyed, this, [this] { delete this; });
    setWindowTitle("Compose Message");
    resize(600, 480);
    Msg.SetContentType("text/plain");
    SMTP.SetPort(25);
    SMTP.SetBufferChunk(8192);
    CreateControls();
    CreateMenus();
    frmProgress = new TfrmSendProgress(this);
    FormCreate();
}

struct TfrmSendMessage::TSendAction {
    explicit TSendAction(qv::sent::TSentStore* store)
        : Recording(store != nullptr), Record(store) {}

    bool Recording;            // the record is open
    qv::TSmtpAccount Account;  // as the settings were when Send was pressed

    qv::TSendRequest Request;
    std::unique_ptr<TSendProgressReporter> Reporter;
    qv::sent::TSendRecord Record;
    // Records each step and passes it on to Reporter.
    std::unique_ptr<qv::sent::TRecordingObserver> Recorder;
    qv::TDeliveryResult Result;  // written by the worker thread
};

// The progress window goes first: it stops and waits for a send action that
// still uses SMTP and Msg.
TfrmSendMessage::~TfrmSendMessage() {
    delete frmProgress;
}

void TfrmSendMessage::CreateControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(CreateHeader());

    PageControl1 = new QTabWidget(central);
    Memo1 = new QPlainTextEdit;
    Memo1->setAccessibleName("Message");
    Memo1->setTabChangesFocus(false);
    PageControl1->addTab(Memo1, "&Message");
    PageControl1->addTab(CreateContactTab(), "C&ontact Information");
    PageControl1->addTab(CreateOptionsTab(), "O&ptions");
    memPreview = new QPlainTextEdit;
    memPreview->setReadOnly(true);
    // Read-only, yet reachable from the keyboard, so that a screen reader
    // can read the letter out.
    memPreview->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    memPreview->setTabChangesFocus(true);
    memPreview->setAccessibleName("Preview");
    PageControl1->addTab(memPreview, "Pre&view");
    layout->addWidget(PageControl1, 1);

    auto* attachments = new QHBoxLayout;
    auto* attachLabel = new QLabel("Attachments:", central);
    Panel16 = new QLabel(central);
    Panel16->setFrameShape(QFrame::StyledPanel);
    Panel16->setAccessibleName("Attachments");
    Panel16->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    // Long paths must not widen the window past the screen: the caption gives
    // way, and its tip lists the paths whole.
    Panel16->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Panel16->setToolTip("No attachments");
    attachments->addWidget(attachLabel);
    attachments->addWidget(Panel16, 1);
    layout->addLayout(attachments);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton("Send Message", central);
    BitBtn2 = new QPushButton("Cancel", central);
    btnLoadMessage = new QPushButton("Load Message", central);
    btnSaveMessage = new QPushButton("Save Message", central);
    for (QPushButton* button : {BitBtn1, BitBtn2, btnLoadMessage, btnSaveMessage})
        buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setCentralWidget(central);

    // The preview follows the header fields while it is in view; the other
    // tabs are out of view while the preview is shown.
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmSendMessage::UpdatePreview);
    for (QLineEdit* field : {txtFrom, txtTo, txtCC, txtBCC, txtSubject})
        connect(field, &QLineEdit::textChanged, this, &TfrmSendMessage::UpdatePreview);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmSendMessage::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmSendMessage::BitBtn2Click);
    connect(btnLoadMessage, &QPushButton::clicked, this, &TfrmSendMessage::btnLoadMessageClick);
    connect(btnSaveMessage, &QPushButton::clicked, this, &TfrmSendMessage::btnSaveMessageClick);
}

// Labels on the left; the edits sit on Panel1, which sizes them itself
// (FormResize).
QWidget* TfrmSendMessage::CreateHeader() {
    auto* header = new QWidget;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(0);
    layout->addLayout(labels);
    Panel1 = new QWidget(header);
    layout->addWidget(Panel1, 1);

    txtFrom = new QLineEdit(Panel1);
    txtTo = new QLineEdit(Panel1);
    txtCC = new QLineEdit(Panel1);
    txtBCC = new QLineEdit(Panel1);
    txtSubject = new QLineEdit(Panel1);
    const std::pair<const char*, QLineEdit*> rows[] = {{"F&rom:", txtFrom},
                                                       {"&To:", txtTo},
                                                       {"&CC:", txtCC},
                                                       {"&BCC:", txtBCC},
                                                       {"&Subject:", txtSubject}};
    int row = 0;
    for (const auto& [caption, edit] : rows) {
        auto* label = new QLabel(caption, header);
        label->setBuddy(edit);
        label->setFixedHeight(kHeaderRowHeight);
        labels->addWidget(label);
        edit->setAccessibleName(QString(caption).remove('&').remove(':'));
        edit->move(0,
                   row++ * kHeaderRowHeight + (kHeaderRowHeight - edit->sizeHint().height()) / 2);
        edit->installEventFilter(this);
    }
    Panel1->setMinimumHeight(row * kHeaderRowHeight);
    Panel1->installEventFilter(this);
    return header;
}

QWidget* TfrmSendMessage::CreateContactTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    chkContact = new QCheckBox("&Include your contact information in email", tab);
    layout->addWidget(chkContact);
    auto* form = new QFormLayout;
    contactEdits_ = AddContactEdits(*form, tab);
    txtName = contactEdits_.Name;
    txtAddr1 = contactEdits_.Street1;
    txtAddr2 = contactEdits_.Street2;
    txtCity = contactEdits_.City;
    txtState = contactEdits_.State;
    txtZip = contactEdits_.Zip;
    txtHomeP = contactEdits_.HomePhone;
    txtWorkP = contactEdits_.WorkPhone;
    txtFax = contactEdits_.Fax;
    txtDist = contactEdits_.District;
    layout->addLayout(form);
    layout->addStretch(1);
    return tab;
}

QWidget* TfrmSendMessage::CreateOptionsTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    chkHideFrom = new QCheckBox("&Hide From Field", tab);
    auto* explanation = new QLabel(kHideFromText, tab);
    explanation->setWordWrap(true);
    chkHideFrom->setAccessibleDescription(kHideFromText);
    layout->addWidget(chkHideFrom);
    layout->addWidget(explanation);
    chkSendCopy = new QCheckBox("Send m&e a copy", tab);
    chkSendCopy->setAccessibleDescription(kSendCopyText);
    layout->addWidget(chkSendCopy);
    // Remembered as soon as it changes; written with the next save.
    connect(chkSendCopy, &QCheckBox::toggled, this, [](bool on) { Settings.SendCopy = on; });
    layout->addStretch(1);
    return tab;
}

void TfrmSendMessage::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    LoadMessage1 = file->addAction("&Load Message...");
    SaveMessage1 = file->addAction("&Save Message...");
    file->addSeparator();
    CloseWindow1 = file->addAction("&Close Window");
    QMenu* attachments = menuBar()->addMenu("&Attachments");
    AddAttachment1 = attachments->addAction("&Edit Attachments");

    connect(LoadMessage1, &QAction::triggered, this, &TfrmSendMessage::btnLoadMessageClick);
    connect(SaveMessage1, &QAction::triggered, this, &TfrmSendMessage::btnSaveMessageClick);
    connect(CloseWindow1, &QAction::triggered, this, &TfrmSendMessage::CloseWindow1Click);
    connect(AddAttachment1, &QAction::triggered, this, &TfrmSendMessage::AddAttachment1Click);
}

void TfrmSendMessage::FormCreate() {
    FShown = false;
    if (MailSettingsMissing())
        WarnNotConfigured(mainWindow_);
    txtFrom->setText(Q(Settings.ReplyTo));
    if (mainWindow_ != nullptr)
        move(mainWindow_->pos());
    chkContact->setChecked(Settings.UseContact);
    chkSendCopy->setChecked(Settings.SendCopy);
    ShowContactDetails(contactEdits_, Settings);
}

// A new user meets this first: the warning offers the settings it asks for.
// The send action still ends here; the user sends again once they are made.
void TfrmSendMessage::WarnNotConfigured(QWidget* parent) {
    const QPoint at = (parent != nullptr ? parent->pos() : pos()) + QPoint(25, 25);
    if (!dialogs_.WarningWithAction(parent, kNotConfiguredWarning, at, kOpenSettingsAction))
        return;
    TfrmProxy::Execute(mainWindow_ != nullptr ? mainWindow_ : this, dialogs_);
    if (txtFrom->text().isEmpty())
        txtFrom->setText(Q(Settings.ReplyTo));
}

void TfrmSendMessage::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShown)
        FormShow();
}

void TfrmSendMessage::FormShow() {
    FShown = true;
    std::size_t entries = 0;
    for (const QLineEdit* field : {txtTo, txtCC, txtBCC})
        entries += qv::SplitRecipientField(Text(field)).size();
    chkHideFrom->setChecked(entries > kHideFromAbove);
}

void TfrmSendMessage::FormResize() {
    for (QLineEdit* edit : {txtFrom, txtTo, txtCC, txtBCC, txtSubject})
        edit->resize(std::max(Panel1->width() - kHeaderEditMargin, 0), edit->sizeHint().height());
}

bool TfrmSendMessage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel1 && event->type() == QEvent::Resize) {
        FormResize();
    } else if (event->type() == QEvent::KeyPress) {
        // Enter in a header field moves on to the next field, as Tab does,
        // instead of reaching the field.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmSendMessage::StoreContactSettings() {
    Settings.UseContact = chkContact->isChecked();
    StoreContactDetails(contactEdits_, Settings);
}

void TfrmSendMessage::BitBtn1Click() {
    if (Sending())
        return;
    if (MailSettingsMissing()) {
        WarnNotConfigured(this);
        return;
    }
    qv::TSendRequest request = RequestFromFields();
    if (!TypedAddressesAccepted(request))
        return;
    // Kept before any network activity, so that a failed send loses none of
    // it.
    StoreContactSettings();
    SaveSettings();

    // Nothing stops the send when the record cannot be opened; that is told
    // once the action has ended.
    action_ = std::make_unique<TSendAction>(records_ != nullptr ? records_->Store() : nullptr);
    action_->Request = std::move(request);
    Memo2 = Q(qv::BuildMessageBody(action_->Request));
    action_->Reporter = std::make_unique<TSendProgressReporter>(*frmProgress);
    action_->Account = SettingsMailAccount({});

    ObtainMailPassword(this, dialogs_, [this](std::optional<std::string> password) {
        if (!password) {
            action_.reset();  // the user cancelled the question; nothing was sent
            return;
        }
        action_->Account.Password = std::move(*password);
        StartDelivery();
    });
}

void TfrmSendMessage::StartDelivery() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    action_->Record.Begin(
        qv::sent::MailStartFor(action_->Request, action_->Account.Host,
                               std::chrono::duration_cast<std::chrono::seconds>(now).count()));
    action_->Recorder = std::make_unique<qv::sent::TRecordingObserver>(action_->Record, SMTP,
                                                                       action_->Reporter.get());

    TSendAction& action = *action_;
    SMTP.SetAccount(action.Account);
    SMTP.ResetCancel();
    frmProgress->Start(
        Q(qv::ConnectingText(action.Account.Host)),
        {[this, &action] {
             action.Result = qv::DeliverMessage(SMTP, Msg, action.Request, action.Recorder.get());
         },
         [this] { SMTP.Cancel(); },
         [&action](std::exception_ptr failure) {
             return CancelledText(failure, action.Reporter->SentCount());
         }},
        [this](TWorkOutcome outcome, std::exception_ptr failure) { SendEnded(outcome, failure); });
}

qv::TSendRequest TfrmSendMessage::RequestFromFields() const {
    qv::TSendRequest request;
    request.From = Text(txtFrom);
    request.To = Text(txtTo);
    request.CC = Text(txtCC);
    request.BCC = Text(txtBCC);
    request.Subject = Text(txtSubject);
    request.MessageText = Memo1->toPlainText().toStdString();
    for (const QString& path : lbAttach)
        request.Attachments.push_back(path.toStdString());
    request.UseContact = chkContact->isChecked();
    request.Contact = {Text(txtName), Text(txtAddr1), Text(txtAddr2), Text(txtCity), Text(txtState),
                       Text(txtZip),  Text(txtHomeP), Text(txtWorkP), Text(txtFax),  Text(txtDist)};
    request.HideFrom = chkHideFrom->isChecked();
    request.MaxRecipients = Settings.MaxRecipients;
    request.CopyToSender = chkSendCopy->isChecked();
    request.Personalise = true;
    request.Records = RecipientRecords;
    return request;
}

bool TfrmSendMessage::TypedAddressesAccepted(const qv::TSendRequest& request) {
    if (!qv::IsPersonalised(request))
        return true;
    int typed = 0;
    for (const std::string* field : {&request.To, &request.CC, &request.BCC})
        for (const std::string& entry : qv::SplitRecipientField(*field))
            if (RecipientRecords.Find(entry).Kind == qv::TRecordKind::None)
                ++typed;
    if (typed == 0)
        return true;
    return dialogs_.Question(
        this, typed == 1 ? QString(kOneTypedQuestion) : QString(kSomeTypedQuestion).arg(typed));
}

void TfrmSendMessage::UpdatePreview() {
    if (PageControl1->currentWidget() != memPreview)
        return;
    const qv::TTransaction letter = qv::FirstLetter(RequestFromFields());
    std::string entry;
    for (const qv::TStringList* role :
         {&letter.Recipients.To, &letter.Recipients.CC, &letter.Recipients.BCC})
        if (!role->empty())
            entry = role->front();
    memPreview->setPlainText(
        QString("For: %1\nSubject: %2\n\n%3").arg(Q(entry), Q(letter.Subject), Q(letter.Body)));
}

bool TfrmSendMessage::Sending() const {
    return action_ != nullptr;
}

void TfrmSendMessage::SendEnded(TWorkOutcome outcome, std::exception_ptr failure) {
    const qv::TDeliveryResult result = action_->Result;
    // What went out decides, whatever the user pressed meanwhile.
    action_->Recorder->Ended(failure);
    // Why the record could not be opened, or that a damaged one was set
    // aside; then a write that failed.
    const std::string notice = records_ != nullptr ? records_->TakeNotice() : std::string();
    QString recordProblem;
    if (!notice.empty())
        recordProblem = action_->Recording ? Q(notice) : kNotRecorded + Q(notice);
    if (const std::string problem = action_->Record.Problem(); !problem.empty())
        recordProblem += (recordProblem.isEmpty() ? "" : "\n") + kNotRecorded + Q(problem);
    action_.reset();
    if (outcome == TWorkOutcome::Cancelled) {
        // A cancelled session is closed; the next action starts a fresh one.
        SMTP.ResetCancel();
        SMTP.Disconnect();
        ReportRecordProblem(recordProblem);
        return;
    }
    if (outcome == TWorkOutcome::Failed) {
        try {
            std::rethrow_exception(failure);
        } catch (const qv::ESmtpConnectFailed&) {
            dialogs_.Warning(this, kConnectFailedWarning);
            ReportRecordProblem(recordProblem);
            return;
        } catch (...) {
            // Told before the failure itself reaches the error box.
            ReportRecordProblem(recordProblem);
            throw;
        }
    }
    if (!result.SplitSending && dialogs_.Question(this, kSentQuestion))
        SaveCopy();
    ReportRecordProblem(recordProblem);
    close();
}

void TfrmSendMessage::ReportRecordProblem(const QString& problem) {
    if (!problem.isEmpty())
        dialogs_.Warning(this, problem);
}

void TfrmSendMessage::SaveCopy() {
    // Asked again after a refused write, so the user can pick another place.
    for (;;) {
        const std::optional<QString> path =
            dialogs_.SaveFile(this, "Save Message", kTextFilter, {});
        if (!path)
            return;
        try {
            SaveMemoTo(*path);
            return;
        } catch (const std::exception& error) {
            dialogs_.Warning(this, QString::fromLocal8Bit(error.what()));
        }
    }
}

void TfrmSendMessage::BitBtn2Click() {
    close();
}

void TfrmSendMessage::CloseWindow1Click() {
    if (dialogs_.Confirm(this, kCloseQuestion))
        close();
}

void TfrmSendMessage::closeEvent(QCloseEvent* event) {
    // The send action in progress still needs the window.
    if (Sending()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    KeepLetter();
    if (mainWindow_ != nullptr)
        mainWindow_->activateWindow();
}

void TfrmSendMessage::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        KeepLetter();
}

void TfrmSendMessage::KeepLetter() {
    auto* keeper = dynamic_cast<IComposedLetterKeeper*>(mainWindow_);
    const QString subject = txtSubject->text();
    const QString text = Memo1->toPlainText();
    if (keeper != nullptr && !(subject.trimmed().isEmpty() && text.trimmed().isEmpty()))
        keeper->KeepComposedLetter(subject, text);
}

void TfrmSendMessage::btnLoadMessageClick() {
    const std::optional<QString> path = dialogs_.OpenFile(this, "Load Message", kTextFilter);
    if (!path)
        return;
    const std::optional<QByteArray> text = ReadLetterFile(this, dialogs_, *path);
    if (text)
        Memo1->setPlainText(QString::fromUtf8(*text));
}

void TfrmSendMessage::btnSaveMessageClick() {
    SaveCopy();
}

// Writes the message text alone, replacing the file only once it is complete.
// A name without an extension gets ".txt".
void TfrmSendMessage::SaveMemoTo(const QString& chosen) {
    QString path = chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".txt";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Memo1->toPlainText().toUtf8()) < 0 ||
        !file.commit())
        throw std::runtime_error("Unable to write to " + path.toStdString());
}

void TfrmSendMessage::AddAttachment1Click() {
    attach_.ListBox1->clear();
    attach_.btnRemove->setEnabled(!lbAttach.isEmpty());
    attach_.move(
        PlaceAttachWindow(frameGeometry(), attach_.frameGeometry().size(), ScreenExtent(*this)));
    attach_.ListBox1->addItems(lbAttach);
    dialogs_.ShowModal(attach_);
    SetAttachments(attach_.Paths());
}

void TfrmSendMessage::SetAttachments(const QStringList& paths) {
    lbAttach = paths;
    QString caption;
    for (const QString& path : lbAttach)
        caption += path + "  ";
    Panel16->setText(caption);
    Panel16->setToolTip(lbAttach.isEmpty() ? QString("No attachments") : lbAttach.join('\n'));
}

TfrmSendMessage* OpenComposeWindow(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach,
                                   const QString& to, const QString& cc, const QString& bcc,
                                   qv::sent::TSentRecords* records,
                                   qv::TRecipientRecords officials) {
    auto* window = new TfrmSendMessage(mainWindow, dialogs, attach);
    window->SetSentRecords(records);
    window->RecipientRecords = std::move(officials);
    window->txtTo->setText(to);
    window->txtCC->setText(cc);
    window->txtBCC->setText(bcc);
    window->show();
    return window;
}

TfrmSendMessage* OpenComposeWindowTo(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach,
                                     const QString& address, qv::sent::TSentRecords* records) {
    auto* window = new TfrmSendMessage(mainWindow, dialogs, attach);
    window->SetSentRecords(records);
    window->show();
    window->txtTo->setText(address);
    return window;
}
