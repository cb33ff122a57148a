#include "sent/windows/sent_window.h"

#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dialogs.h"
#include "mail/windows/compose_window.h"
#include "sent/sent_errors.h"
#include "sent/sent_records.h"
#include "sent/sent_store.h"

using namespace qv::sent;

namespace {

constexpr int IdRole = Qt::UserRole;
constexpr std::size_t ShownRecipients = 3;  // the store's summary holds the first three

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString RecipientsText(const TSentSummary& s) {
    QString text = Q(s.Recipients);
    if (s.RecipientCount > ShownRecipients)
        text += QString(" and %1 more").arg(s.RecipientCount - ShownRecipients);
    return text;
}

QString CountText(std::size_t count, bool searching) {
    if (count == 0)
        return searching ? "No messages match" : "No sent messages";
    return count == 1 ? QString("1 message") : QString("%1 messages").arg(count);
}

}  // namespace

TfrmSentMessages::TfrmSentMessages(TSentStore& store, IDialogs& dialogs, TSendAgain sendAgain,
                                   QWidget* parent)
    : QDialog(parent, Qt::Window), Store(store), Dialogs(dialogs), SendAgain(std::move(sendAgain)) {
    setObjectName("frmSentMessages");
    setWindowTitle("Sent Messages");
    CreateControls();
    Refresh();
}

void TfrmSentMessages::CreateControls() {
    auto* layout = new QVBoxLayout(this);

    auto* searchRow = new QHBoxLayout;
    auto* lblSearch = new QLabel("&Search:", this);
    txtSearch = new QLineEdit(this);
    txtSearch->setPlaceholderText("Recipient, subject or text");
    txtSearch->setClearButtonEnabled(true);
    txtSearch->setAccessibleName("Search sent messages");
    txtSearch->setAccessibleDescription(
        "Shows the messages whose recipients, subject or text contain every word typed");
    txtSearch->installEventFilter(this);
    lblSearch->setBuddy(txtSearch);
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(txtSearch, 1);
    layout->addLayout(searchRow);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    lvMessages = new QTreeWidget(splitter);
    lvMessages->setHeaderLabels({"Date", "Subject", "Recipients", "Result"});
    lvMessages->setRootIsDecorated(false);
    lvMessages->setUniformRowHeights(true);
    lvMessages->setAllColumnsShowFocus(true);
    lvMessages->setSelectionMode(QAbstractItemView::SingleSelection);
    lvMessages->setAccessibleName("Sent messages");
    lvMessages->header()->resizeSection(0, 140);
    lvMessages->header()->resizeSection(1, 200);
    lvMessages->header()->resizeSection(2, 240);
    memMessage = new QPlainTextEdit(splitter);
    memMessage->setReadOnly(true);
    memMessage->setTabChangesFocus(true);
    memMessage->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    memMessage->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memMessage->setAccessibleName("Message");
    splitter->addWidget(lvMessages);
    splitter->addWidget(memMessage);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    lblCount = new QLabel(this);
    btnSendAgain = new QPushButton("Send &Again", this);
    btnSendAgain->setAccessibleDescription("Opens the compose window filled in with this message");
    btnExport = new QPushButton("&Export...", this);
    btnExport->setAccessibleDescription("Saves this message as a text file");
    btnClose = new QPushButton("Close", this);
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(btnSendAgain);
    buttons->addWidget(btnExport);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    for (QPushButton* button : {btnSendAgain, btnExport, btnClose})
        button->setAutoDefault(false);

    setTabOrder(txtSearch, lvMessages);
    setTabOrder(lvMessages, memMessage);
    setTabOrder(memMessage, btnSendAgain);
    setTabOrder(btnSendAgain, btnExport);
    setTabOrder(btnExport, btnClose);

    connect(txtSearch, &QLineEdit::textChanged, this, &TfrmSentMessages::txtSearchChange);
    connect(lvMessages, &QTreeWidget::currentItemChanged, this,
            &TfrmSentMessages::lvMessagesSelect);
    connect(btnSendAgain, &QPushButton::clicked, this, &TfrmSentMessages::btnSendAgainClick);
    connect(btnExport, &QPushButton::clicked, this, &TfrmSentMessages::btnExportClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
}

template <typename F>
bool TfrmSentMessages::Reading(F&& read) {
    try {
        read();
        LastProblem.clear();
        return true;
    } catch (const ESentRecordError& error) {
        // Shown once per distinct failure: closing the box activates this
        // window again, which reads again.
        const QString problem = QString::fromLocal8Bit(error.what());
        if (problem != LastProblem) {
            LastProblem = problem;
            Dialogs.Warning(this, problem);
        }
        return false;
    }
}

std::int64_t TfrmSentMessages::CurrentId() const {
    return Shown.Id;
}

void TfrmSentMessages::Refresh() {
    std::vector<TSentSummary> found;
    const std::string query = txtSearch->text().toStdString();
    if (!Reading([&] { found = Store.Search(query); }))
        return;

    const std::int64_t keep = Shown.Id;
    QTreeWidgetItem* current = nullptr;
    {
        const QSignalBlocker blocker(lvMessages);
        lvMessages->clear();
        for (const TSentSummary& s : found) {
            auto* item = new QTreeWidgetItem(lvMessages);
            item->setText(0, Q(FormatLocalTime(s.When)));
            item->setText(1, s.Subject.empty() ? QString("(no subject)") : Q(s.Subject));
            item->setText(2, RecipientsText(s));
            item->setText(3, Q(ResultText(s)));
            item->setData(0, IdRole, QVariant::fromValue<qint64>(s.Id));
            if (s.Id == keep)
                current = item;
        }
        if (current == nullptr)
            current = lvMessages->topLevelItem(0);
        lvMessages->setCurrentItem(current);
    }
    lblCount->setText(CountText(found.size(), !txtSearch->text().trimmed().isEmpty()));
    // Read again even when it stays the same message: a send may have moved on.
    ShowMessage(current != nullptr ? current->data(0, IdRole).toLongLong() : 0);
}

void TfrmSentMessages::txtSearchChange() {
    Refresh();
}

void TfrmSentMessages::lvMessagesSelect() {
    QTreeWidgetItem* item = lvMessages->currentItem();
    ShowMessage(item != nullptr ? item->data(0, IdRole).toLongLong() : 0);
}

void TfrmSentMessages::ShowMessage(std::int64_t id) {
    TSentMessage message;
    if (id != 0 && !Reading([&] { message = Store.Read(id); }))
        message = {};
    if (message == Shown && Shown.Id != 0)
        return;  // unchanged: keep where the reader is in the text
    Shown = std::move(message);
    memMessage->setPlainText(Shown.Id != 0 ? Q(MessageText(Shown)) : QString());
    btnSendAgain->setEnabled(Shown.Id != 0 && SendAgain != nullptr);
    btnExport->setEnabled(Shown.Id != 0);
}

void TfrmSentMessages::btnSendAgainClick() {
    if (Shown.Id != 0 && SendAgain)
        SendAgain(Shown.Fields);
}

void TfrmSentMessages::btnExportClick() {
    if (Shown.Id == 0)
        return;
    const std::optional<QString> chosen = Dialogs.SaveFile(
        this, "Export Message", "Text Files (*.txt)", Q(ExportFileName(Shown)));
    if (!chosen)
        return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".txt";
    try {
        ExportMessage(Shown, path.toStdString());
    } catch (const ESentRecordError& error) {
        Dialogs.Warning(this, QString::fromLocal8Bit(error.what()));
    }
}

void TfrmSentMessages::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Refresh();
}

bool TfrmSentMessages::eventFilter(QObject* watched, QEvent* event) {
    // Down in the search box goes on to the list, as in a search field of
    // any mail program.
    if (watched == txtSearch && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
        lvMessages->setFocus(Qt::TabFocusReason);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

TfrmSentMessages* ShowSentMessages(QWidget* mainWindow, IDialogs& dialogs, TSentRecords& records,
                                   TSendAgain sendAgain) {
    TSentStore* store = records.Store();
    const std::string notice = records.TakeNotice();
    if (!notice.empty())
        dialogs.Warning(mainWindow, QString::fromLocal8Bit(notice.c_str()));
    if (store == nullptr)
        return nullptr;

    TfrmSentMessages* window =
        mainWindow != nullptr
            ? mainWindow->findChild<TfrmSentMessages*>(QString(), Qt::FindDirectChildrenOnly)
            : nullptr;
    if (window == nullptr) {
        window = new TfrmSentMessages(*store, dialogs, std::move(sendAgain), mainWindow);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->resize(760, 540);
    }
    window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
}

TfrmSendMessage* SendAgain(QWidget* mainWindow, IDialogs& dialogs, TfrmAttach& attach,
                           TSentRecords* records, const TMessageFields& fields) {
    TfrmSendMessage* window = OpenComposeWindow(mainWindow, dialogs, attach, Q(fields.To),
                                                Q(fields.CC), Q(fields.BCC), records);
    if (!fields.From.empty())
        window->txtFrom->setText(Q(fields.From));
    window->txtSubject->setText(Q(fields.Subject));
    window->Memo1->setPlainText(Q(fields.Text));
    QStringList paths;
    for (const std::string& path : fields.Attachments)
        paths << Q(path);
    window->SetAttachments(paths);
    return window;
}
