#include "update/windows/update_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/dialogs.h"
#include "controls/window_placement.h"

bool ManualCheck = false;

namespace {

constexpr int ClientWidth = 299;
constexpr int ClientHeight = 192;

const char* const CheckingCaption = "Checking server for list updates...";
const char* const OfferCaption = "Would you like to update these lists now?";

}  // namespace

QPoint PlaceOverMainWindow(const QRect& mainWindow, const QSize& window, const QSize& screen) {
    return {CentreOnOwner(mainWindow.left(), mainWindow.width(), window.width(), screen.width()),
            CentreOnOwner(mainWindow.top(), mainWindow.height(), window.height(), screen.height())};
}

TfrmUpdate::TfrmUpdate(QWidget* mainWindow, IDialogs& dialogs, std::string programDirectory,
                       qv::TUpdateServers servers)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint),
      mainWindow_(mainWindow),
      dialogs_(dialogs),
      updater_(new qv::TListUpdater(std::move(programDirectory), std::move(servers), Settings,
                                    SaveSettings, this)) {
    setWindowTitle("Updater");
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the updater must never end the program, even when the main
    // window is hidden.
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();

    updater_->OnStatus = [this](const std::string& text) {
        lblStatus->setText(QString::fromStdString(text));
    };
    updater_->OnWarning = [this](const std::string& text) {
        dialogs_.Warning(this, QString::fromStdString(text));
    };
    updater_->OnCheckDone = [this](qv::TCheckOutcome outcome) { CheckDone(outcome); };
    // Every run ends by closing the window; a failed one has warned already.
    updater_->OnRunDone = [this](qv::TRunOutcome) { close(); };

    FormCreate();
}

void TfrmUpdate::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setStyleSheet("QPlainTextEdit { color: navy; background: white; }");
    Memo1->setAccessibleName("Lists");
    Memo1->installEventFilter(this);
    layout->addWidget(Memo1, 1);

    Label2 = new QLabel(OfferCaption, this);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setWordWrap(true);
    layout->addWidget(Label2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton("&Yes", this);
    btnCancel = new QPushButton("&No", this);
    btnAbort = new QPushButton("&Abort", this);
    btnOKclose = new QPushButton("OK", this);
    for (QPushButton* button : {btnOK, btnCancel, btnAbort, btnOKclose}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    ShowButtons(true, false, false);

    lblStatus = new QLabel("Checking for updates", this);
    lblStatus->setAccessibleName("Status");
    layout->addWidget(lblStatus);

    connect(btnOK, &QPushButton::clicked, this, &TfrmUpdate::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmUpdate::close);
    connect(btnAbort, &QPushButton::clicked, this, &TfrmUpdate::btnAbortClick);
    connect(btnOKclose, &QPushButton::clicked, this, &TfrmUpdate::close);

    setFixedSize(ClientWidth, ClientHeight);
}

// Yes and No, Abort, and OK share one place; `yesNo` shows the first two.
// The one shown for the usual answer takes Enter.
void TfrmUpdate::ShowButtons(bool yesNo, bool abort, bool okClose) {
    btnOK->setVisible(yesNo);
    btnCancel->setVisible(yesNo);
    btnAbort->setVisible(abort);
    btnOKclose->setVisible(okClose);
    btnOK->setDefault(yesNo);
    btnOKclose->setDefault(okClose);
    for (QPushButton* button : {btnOK, btnAbort, btnOKclose}) {
        if (!button->isHidden()) {
            button->setFocus();
            break;
        }
    }
}

void TfrmUpdate::FormCreate() {
    if (mainWindow_ != nullptr) {
        const QScreen* screen = mainWindow_->screen();
        const QSize screenSize =
            screen != nullptr ? screen->availableGeometry().size() : QSize(1024, 768);
        move(PlaceOverMainWindow(mainWindow_->geometry(), size(), screenSize));
    }
    if (ManualCheck) {
        Label2->setText(CheckingCaption);
        show();
        ShowButtons(false, true, false);
    }
    updater_->StartCheck();
}

void TfrmUpdate::CheckDone(qv::TCheckOutcome outcome) {
    // A failed or empty answer leaves the window as it is: hidden in the
    // automatic check, showing the failure in the status line in the manual one.
    if (outcome != qv::TCheckOutcome::Done) {
        return;
    }
    QStringList lines;
    for (const std::string& line : updater_->MemoLines()) {
        lines.append(QString::fromStdString(line));
    }
    Memo1->setPlainText(lines.join('\n'));
    if (updater_->AnyUpdate()) {
        Label2->setText(OfferCaption);
        // A screen reader reads the offered lists with the button.
        btnOK->setAccessibleDescription(lines.join(", "));
        show();
        ShowButtons(true, false, false);
        if (mainWindow_ != nullptr) {
            mainWindow_->setEnabled(false);
        }
    } else if (!ManualCheck) {
        close();
    } else {
        Memo1->setPlainText(qv::kNoUpdatesText);
        Label2->clear();
        ShowButtons(false, false, true);
    }
}

void TfrmUpdate::btnOKClick() {
    ShowButtons(false, true, false);
    updater_->StartDownload();
}

void TfrmUpdate::btnAbortClick() {
    updater_->Abort();
    close();
}

void TfrmUpdate::reject() {
    close();
}

void TfrmUpdate::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

// Every closing ends what is under way: a request left running would go on
// to the mirror, or install lists, behind a closed window.
void TfrmUpdate::FormClose() {
    updater_->Abort();
    hide();
    if (mainWindow_ != nullptr) {
        mainWindow_->setEnabled(true);
    }
}

bool TfrmUpdate::event(QEvent* event) {
    // While visible, the window takes the focus back from the program's other
    // windows; it leaves it to its own message boxes and to other programs.
    if (event->type() == QEvent::WindowDeactivate && isVisible()) {
        QTimer::singleShot(0, this, [this] {
            QWidget* active = QApplication::activeWindow();
            if (isVisible() && active != nullptr && active != this &&
                QApplication::activeModalWidget() == nullptr) {
                activateWindow();
            }
        });
    }
    return QDialog::event(event);
}

bool TfrmUpdate::eventFilter(QObject* watched, QEvent* event) {
    // The memo is for reading; the keyboard stays on the buttons.
    if (watched == Memo1 && event->type() == QEvent::FocusIn) {
        for (QPushButton* button : {btnOK, btnAbort, btnOKclose}) {
            if (button->isVisible()) {
                button->setFocus();
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
