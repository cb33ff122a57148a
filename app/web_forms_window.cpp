#include "app/web_forms_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <exception>

#include "app/list_views.h"
#include "controls/dialogs.h"
#include "controls/super_grid.h"
#include "lists/list_text.h"
#include "lists/official_list.h"
#include "mail/windows/contact_edits.h"
#include "mail/windows/letter_file.h"
#include "sent/send_record.h"
#include "sent/sent_records.h"
#include "settings/settings.h"
#include "webforms/engine/form_filler.h"

using qv::webforms::TFormOffice;
using qv::webforms::TLetter;
using qv::webforms::TWebFormOfficial;

namespace {

const char* const kTextFilter = "Text Files (*.txt)";
const QString kNotRecorded = "This letter could not be kept in Sent Messages. ";
// A letter is a page or two; a bigger file is no letter.
constexpr qint64 kMaxLetterBytes = 1 << 20;

const std::vector<TFilterItem> kParties{
    {"(All)", ""}, {"Democrats", "D"}, {"Republicans", "R"}, {"Independents", "I"}};

enum TColumn { NameColumn = 2, OfficeColumn, SeatColumn, PartyColumn, ResultColumn, FormColumn };

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Seat(const TWebFormOfficial& official) {
    switch (official.Office) {
        case TFormOffice::Senate:
            return Text(official.State);
        case TFormOffice::House:
            return Text(official.State + "-" + official.District);
        case TFormOffice::President:
            return "United States";
        case TFormOffice::Leader:
            return Text(official.Country);
    }
    return {};
}

bool SameLetter(const TLetter& a, const TLetter& b) {
    return a.Subject == b.Subject && a.Text == b.Text;
}

}  // namespace

TfrmWebForms::TfrmWebForms(QWidget* mainWindow, IDialogs& dialogs, qv::webforms::TWalkMarks& marks,
                           qv::webforms::TFormWalker* walker)
    : QWidget(mainWindow, Qt::Window), dialogs_(dialogs), marks_(marks), walker_(walker) {
    setWindowTitle("Web Forms");
    resize(820, 640);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "These officials take letters only through a contact form on their web site. Tick "
        "them, write or load your letter, check your contact details and press Start: each "
        "form opens in the browser pane, filled in for you. You choose the topic, answer any "
        "check question and submit each form yourself.",
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(CreateListPane());
    PageControl1 = new QTabWidget(splitter);
    PageControl1->addTab(CreateLetterTab(), "Letter");
    PageControl1->addTab(CreateContactTab(), "Contact Information");
    splitter->addWidget(PageControl1);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnStart = new QPushButton("&Start", this);
    btnStart->setToolTip("Open the ticked officials' forms one at a time, filled in");
    btnClose = new QPushButton("Close", this);
    buttons->addWidget(btnStart);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    connect(btnStart, &QPushButton::clicked, this, &TfrmWebForms::btnStartClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(Qt::Key_Escape, this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    if (walker_ != nullptr) {
        connect(walker_, &qv::webforms::TFormWalker::Moved, this, &TfrmWebForms::WalkMovedOn);
    } else {
        btnStart->setEnabled(false);
        btnStart->setToolTip("The browser pane cannot fill forms");
    }
    LoadContactDetails();
    Reload();
}

TfrmWebForms::~TfrmWebForms() = default;

QWidget* TfrmWebForms::CreateListPane() {
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* filters = new QHBoxLayout;
    auto* stateLabel = new QLabel("S&tate:", pane);
    cbState = new QComboBox(pane);
    for (const TFilterItem& item : TerritoryItems())
        cbState->addItem(item.Name);
    cbState->setAccessibleName("State");
    cbState->setMaxVisibleItems(20);
    stateLabel->setBuddy(cbState);
    auto* partyLabel = new QLabel("&Party:", pane);
    cbParty = new QComboBox(pane);
    for (const TFilterItem& item : kParties)
        cbParty->addItem(item.Name);
    cbParty->setAccessibleName("Party");
    partyLabel->setBuddy(cbParty);
    btnSelectAll = new QPushButton("Select &All", pane);
    btnSelectAll->setToolTip("Tick every official shown");
    btnClear = new QPushButton("&Clear", pane);
    btnClear->setToolTip("Untick every official shown");
    lblCount = new QLabel(pane);
    for (QWidget* widget : std::initializer_list<QWidget*>{stateLabel, cbState, partyLabel, cbParty,
                                                           btnSelectAll, btnClear})
        filters->addWidget(widget);
    filters->addStretch(1);
    filters->addWidget(lblCount);
    layout->addLayout(filters);
    connect(cbState, &QComboBox::currentIndexChanged, this, &TfrmWebForms::FillGrid);
    connect(cbParty, &QComboBox::currentIndexChanged, this, &TfrmWebForms::FillGrid);
    connect(btnSelectAll, &QPushButton::clicked, this, [this] { TickShown(true); });
    connect(btnClear, &QPushButton::clicked, this, [this] { TickShown(false); });

    SuperGrid1 = new TSuperGrid(pane);
    SuperGrid1->setAccessibleName("Officials with web forms");
    SuperGrid1->SetColumns({{""},
                            {"Write"},
                            {"Name"},
                            {"Office"},
                            {"Seat", Qt::AlignHCenter},
                            {"Party", Qt::AlignHCenter},
                            {"Result"},
                            {"Contact Form"}});
    SuperGrid1->SetFixedCols(1);
    const int widths[] = {0, 40, 170, 120, 90, 45, 70, 260};
    for (int column = 1; column < SuperGrid1->ColCount(); ++column)
        SuperGrid1->SetColWidth(column, widths[column]);
    SuperGrid1->setMinimumHeight(10 * TSuperGrid::DefaultRowHeight);
    connect(SuperGrid1, &TSuperGrid::CheckBoxClick, this, &TfrmWebForms::SuperGrid1CheckBoxClick);
    layout->addWidget(SuperGrid1, 1);
    return pane;
}

QWidget* TfrmWebForms::CreateLetterTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* subjectRow = new QHBoxLayout;
    auto* subjectLabel = new QLabel("S&ubject:", tab);
    txtSubject = new QLineEdit(tab);
    txtSubject->setAccessibleName("Subject");
    subjectLabel->setBuddy(txtSubject);
    btnLoadLetter = new QPushButton("&Load Letter...", tab);
    btnLoadLetter->setToolTip("Take the letter's text from a text file");
    btnLoadLetter->setAutoDefault(false);
    subjectRow->addWidget(subjectLabel);
    subjectRow->addWidget(txtSubject, 1);
    subjectRow->addWidget(btnLoadLetter);
    layout->addLayout(subjectRow);
    Memo1 = new QPlainTextEdit(tab);
    Memo1->setAccessibleName("Letter");
    Memo1->setTabChangesFocus(true);
    layout->addWidget(Memo1, 1);
    connect(btnLoadLetter, &QPushButton::clicked, this, &TfrmWebForms::btnLoadLetterClick);
    connect(txtSubject, &QLineEdit::textEdited, this, &TfrmWebForms::DetailsEdited);
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TfrmWebForms::DetailsEdited);
    return tab;
}

// The compose window's contact fields, with the e-mail address the forms ask
// for in front (the reply-to address; used here, not saved).
QWidget* TfrmWebForms::CreateContactTab() {
    auto* tab = new QWidget;
    auto* form = new QFormLayout(tab);
    txtEmail = new QLineEdit(tab);
    txtEmail->setAccessibleName("email");
    form->addRow("email:", txtEmail);
    ContactEdits = AddContactEdits(*form, tab);
    for (QLineEdit* edit : tab->findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, &TfrmWebForms::DetailsEdited);
    return tab;
}

void TfrmWebForms::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (awayForWalk_)
        return;
    LoadContactDetails();
    TakeComposedLetter();
    Reload();
}

void TfrmWebForms::LoadContactDetails() {
    ShowContactDetails(ContactEdits, Settings);
    if (txtEmail->text().isEmpty()) {
        const std::string& email =
            Settings.ReplyTo.empty() && Settings.EmailUser.find('@') != std::string::npos
                ? Settings.EmailUser
                : Settings.ReplyTo;
        txtEmail->setText(Text(email));
    }
}

// The compose window's newest letter replaces the one here unless the user
// has written or loaded another here since it was last taken.
void TfrmWebForms::TakeComposedLetter() {
    if (!LastComposedLetter)
        return;
    const std::optional<TLetter> composed = LastComposedLetter();
    if (!composed || (takenLetter_ && SameLetter(*composed, *takenLetter_)))
        return;
    const TLetter current = Letter();
    const bool untouched = (current.Subject.empty() && current.Text.empty()) ||
                           (takenLetter_ && SameLetter(current, *takenLetter_));
    if (!untouched)
        return;
    txtSubject->setText(Text(composed->Subject));
    Memo1->setPlainText(Text(composed->Text));
    takenLetter_ = Letter();
}

void TfrmWebForms::btnLoadLetterClick() {
    const std::optional<QString> path = dialogs_.OpenFile(this, "Load Letter", kTextFilter);
    if (!path)
        return;
    const std::optional<QByteArray> bytes = ReadLetterFile(this, dialogs_, *path, kMaxLetterBytes);
    if (!bytes)
        return;
    // Letters saved by older programs are often Windows-1252, as list files are.
    Memo1->setPlainText(Text(DisplayText(std::string_view(bytes->constData(), bytes->size()))));
}

TLetter TfrmWebForms::Letter() const {
    return {txtSubject->text().trimmed().toStdString(), Memo1->toPlainText().toStdString()};
}

std::string TfrmWebForms::FormEmail() const {
    return txtEmail->text().trimmed().toStdString();
}

qv::webforms::TFillValues TfrmWebForms::FillValues() const {
    TSettings contact = Settings;
    contact.ReplyTo = FormEmail();
    StoreContactDetails(ContactEdits, contact);
    return qv::webforms::BuildFillValues(contact, Letter());
}

// Edits made while a walk runs reach the fills still to come.
void TfrmWebForms::DetailsEdited() {
    if (walker_ != nullptr && walker_->IsActive())
        walker_->SetValues(FillValues());
}

void TfrmWebForms::Reload() {
    officials_ = qv::webforms::WebFormOfficials(SenateList, HouseList, LeaderList, PresidentRecord);
    FillGrid();
}

void TfrmWebForms::FillGrid() {
    qv::webforms::TWebFormFilter filter{FilterText(TerritoryItems(), cbState->currentIndex()),
                                        FilterText(kParties, cbParty->currentIndex())};
    for (std::string* text : {&filter.State, &filter.Party})
        if (*text == "All")
            text->clear();
    rows_.clear();
    for (std::size_t i = 0; i < officials_.size(); ++i)
        if (qv::webforms::PassesFilter(officials_[i], filter))
            rows_.push_back(i);

    SuperGrid1->setUpdatesEnabled(false);
    SuperGrid1->SetRowCount(static_cast<int>(std::max<std::size_t>(rows_.size(), 1)) + 1);
    SuperGrid1->ClearRow(1);
    SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, 1, !rows_.empty());
    int row = 1;
    for (const std::size_t index : rows_) {
        const TWebFormOfficial& official = officials_[index];
        SuperGrid1->SetCell(NameColumn, row, Text(official.Name));
        SuperGrid1->SetCell(OfficeColumn, row, Text(official.Role));
        SuperGrid1->SetCell(SeatColumn, row, Seat(official));
        SuperGrid1->SetCell(PartyColumn, row, Text(official.Party));
        SuperGrid1->SetCell(FormColumn, row, Text(official.Url));
        SuperGrid1->SetCheckBoxEnabled(TSuperGrid::CheckColumn, row, true);
        SuperGrid1->SetChecked(TSuperGrid::CheckColumn, row, ticked_.contains(official.Key));
        ++row;
    }
    SuperGrid1->setUpdatesEnabled(true);
    ShowResults();
    ShowCount();
}

// Beside each name: the form open now, or what became of it on a walk.
void TfrmWebForms::ShowResults() {
    const qv::webforms::TFormWalk* walk = walker_ != nullptr ? walker_->Walk() : nullptr;
    const std::string open =
        walker_ != nullptr && walker_->IsActive() ? walk->Current().Key : std::string();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string& key = officials_[rows_[i]].Key;
        const QString result =
            key == open ? QString("Open")
                        : Text(std::string(qv::webforms::WalkMarkText(marks_.Mark(key))));
        SuperGrid1->SetCell(ResultColumn, static_cast<int>(i) + 1, result);
    }
}

void TfrmWebForms::ShowCount() {
    lblCount->setText(QString("%1 of %2 ticked").arg(ticked_.size()).arg(officials_.size()));
}

void TfrmWebForms::SuperGrid1CheckBoxClick(int, int row, bool checked) {
    if (row < 1 || row > static_cast<int>(rows_.size()))
        return;
    const std::string& key = officials_[rows_[static_cast<std::size_t>(row) - 1]].Key;
    if (checked)
        ticked_.insert(key);
    else
        ticked_.erase(key);
    ShowCount();
}

void TfrmWebForms::TickShown(bool ticked) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        SuperGrid1CheckBoxClick(TSuperGrid::CheckColumn, static_cast<int>(i) + 1, ticked);
        SuperGrid1->SetChecked(TSuperGrid::CheckColumn, static_cast<int>(i) + 1, ticked);
    }
}

void TfrmWebForms::TickOnly(const std::vector<std::string>& keys) {
    officials_ = qv::webforms::WebFormOfficials(SenateList, HouseList, LeaderList, PresidentRecord);
    ticked_ = {keys.begin(), keys.end()};
    std::set<std::string> states;
    for (const TWebFormOfficial& official : officials_)
        if (ticked_.contains(official.Key))
            states.insert(official.State);
    int stateItem = 0;
    if (states.size() == 1)
        for (int item = 1; item < static_cast<int>(TerritoryItems().size()); ++item)
            if (TerritoryItems()[static_cast<std::size_t>(item)].Abbreviation == *states.begin())
                stateItem = item;
    {
        const QSignalBlocker quietState(cbState);
        const QSignalBlocker quietParty(cbParty);
        cbState->setCurrentIndex(stateItem);
        cbParty->setCurrentIndex(0);
    }
    FillGrid();
}

std::vector<TWebFormOfficial> TfrmWebForms::TickedOfficials() const {
    std::vector<TWebFormOfficial> ticked;
    for (const TWebFormOfficial& official : officials_)
        if (ticked_.contains(official.Key))
            ticked.push_back(official);
    return ticked;
}

void TfrmWebForms::btnStartClick() {
    if (walker_ == nullptr)
        return;
    const std::vector<TWebFormOfficial> officials = TickedOfficials();
    if (officials.empty()) {
        dialogs_.Warning(this,
                         "No officials selected. Please tick the officials whose web forms to "
                         "fill before pressing Start.");
        return;
    }
    const TLetter letter = Letter();
    if (letter.Text.find_first_not_of(" \t\r\n") == std::string::npos &&
        !dialogs_.Question(this,
                           "The letter is empty. Fill the forms with your contact details only?"))
        return;

    // Kept before the first form opens, as the compose window keeps them
    // before it connects.
    StoreContactDetails(ContactEdits, Settings);
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        dialogs_.Warning(this, QString::fromLocal8Bit(error.what()));
    }

    std::vector<qv::webforms::TWalkStop> stops;
    for (const TWebFormOfficial& official : officials)
        stops.push_back(qv::webforms::WalkStopFor(official));
    // A walk still under way ends here, so that its record ends too.
    if (walker_->IsActive())
        walker_->Stop();
    BeginRecord(letter);
    emit WalkStarted(Text(FormEmail()), letter);
    awayForWalk_ = true;
    hide();
    if (QWidget* main = parentWidget()) {
        main->raise();
        main->activateWindow();
    }
    walker_->Start(std::move(stops), FillValues());
}

void TfrmWebForms::WalkMovedOn() {
    if (const qv::webforms::TFormWalk* walk = walker_->Walk()) {
        if (record_)
            record_->Follow(*walk, marks_);
        emit WalkMoved(*walk, marks_);
    }
    ShowResults();
    if (walker_->IsActive())
        return;
    // Back with the results once the walk it started is over.
    if (awayForWalk_) {
        awayForWalk_ = false;
        show();
        raise();
    }
    ReportRecordProblem();
}

// Nothing stops the walk when the record cannot be kept; the user is told
// when it ends.
void TfrmWebForms::BeginRecord(const TLetter& letter) {
    record_.reset();
    recordNotice_.clear();
    if (records_ == nullptr)
        return;
    qv::sent::TSentStore* store = records_->Store();
    const QString notice = Text(records_->TakeNotice());
    if (!notice.isEmpty())
        recordNotice_ = store != nullptr ? notice : kNotRecorded + notice;
    record_ = std::make_unique<qv::sent::TWebFormRecord>(store);
    record_->Begin(
        {static_cast<std::int64_t>(std::time(nullptr)), FormEmail(), letter.Subject, letter.Text});
}

void TfrmWebForms::ReportRecordProblem() {
    if (!record_)
        return;
    QString problem = recordNotice_;
    if (const std::string failed = record_->Problem(); !failed.empty())
        problem += (problem.isEmpty() ? "" : "\n") + kNotRecorded + Text(failed);
    record_.reset();
    recordNotice_.clear();
    if (!problem.isEmpty())
        dialogs_.Warning(this, problem);
}
