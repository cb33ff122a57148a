#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "app/app_state.h"
#include "app/pictures.h"
#include "banner/advertisement.h"
#include "controls/dialogs.h"
#include "controls/side_bar.h"
#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "settings/settings.h"
#include "update/http_client.h"
#include "update/windows/update_window.h"

namespace {

const QColor kNavy(0, 0, 128);
constexpr int kBannerStripMaxHeight = 62;
constexpr int kBannerWidth = 468;
constexpr int kBannerHeight = 60;
constexpr int kBannerSoftwareID = 242;
constexpr int kMaxAddressWidth = 371;

void Paint(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

TScreenInfo PrimaryScreenInfo() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    return {screen->depth(), {area.width(), area.height()}};
}

TfrmMain::TfrmMain(IDialogs& dialogs, TFirstRunRequest firstRunRequest, TScreenInfo screen,
                   QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      firstRunRequest_(std::move(firstRunRequest)),
      screen_(screen),
      httpClient_(new qv::THttpClient(this)) {
    setWindowTitle("Quorvane");
    // FormClose ends the program itself.
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();
    CreateMenus();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    delete frmUpdate;
}

void TfrmMain::CreateControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    CreateBanner();
    layout->addWidget(Panel2);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1, 1);
    CreateSideBar();
    CreateRightPane();
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    StatusBar1 = new QStatusBar(this);
    setStatusBar(StatusBar1);
}

void TfrmMain::CreateBanner() {
    Panel2 = new QWidget(this);
    Paint(Panel2, kNavy);
    Panel2->setMaximumHeight(kBannerStripMaxHeight);
    auto* layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* logoPanel = new QWidget(Panel2);
    layout->addWidget(logoPanel, 1);
    Image1 = new QLabel(logoPanel);
    Image1->setPixmap(LoadPicture(LogoPicture));
    Image1->resize(Image1->sizeHint());
    qnlabel = new QLabel("Quorvane", logoPanel);
    QFont captionFont = qnlabel->font();
    captionFont.setBold(true);
    captionFont.setPointSize(20);
    qnlabel->setFont(captionFont);
    qnlabel->setStyleSheet("color: yellow");
    qnlabel->resize(qnlabel->sizeHint());
    qnlabel->hide();

    Panel5 = new QWidget(Panel2);
    layout->addWidget(Panel5, 0, Qt::AlignRight | Qt::AlignVCenter);
    // The banner fills Panel5 and snaps to the largest format that fits.
    Adimage1 = new TAdvertisement(Panel5);
    Adimage1->SetAdSize(TAdImageSize::ad468x60);
    Adimage1->SetAutoStart(true);
    Adimage1->SetAutoStartMessaging(true);
    Adimage1->SetFlags({});
    Adimage1->SetSidebar(false);
    Adimage1->SetSoftwareID(kBannerSoftwareID);
    Adimage1->SetVersion(0);
    Adimage1->SetLibraryDirectory(QString::fromStdString(ProgramDirectory));
    Adimage1->SetBounds(0, 0, kBannerWidth + 1, kBannerHeight);
    Adimage1->Loaded();
}

void TfrmMain::CreateSideBar() {
    OutlookBar1 = new TSideBar(Splitter1);
    QList<QIcon> large;
    for (const char* name : LargeSideBarPictures)
        large.append(QIcon(LoadPicture(name)));
    QList<QIcon> small;
    for (const char* name : SmallSideBarPictures)
        small.append(QIcon(LoadPicture(name)));
    OutlookBar1->SetLargeImages(large);
    OutlookBar1->SetSmallImages(small);

    using Size = TSideBar::TIconSize;
    const int government = OutlookBar1->AddGroup("US Government", Size::Large);
    int image = 0;
    for (const char* caption :
         {"Senate", "House Of Representatives", "White House", "Senate Voting", "House Voting"})
        OutlookBar1->AddItem(government, caption, image++);
    const int international = OutlookBar1->AddGroup("International", Size::Large);
    for (const char* caption : {"World Leaders", "World Parliaments"})
        OutlookBar1->AddItem(international, caption, image++);
    OutlookBar1->AddGroup("Multimedia", Size::Small);
    OutlookBar1->AddGroup("Additional Links", Size::Small);
    connect(OutlookBar1, &TSideBar::ItemClicked, this, &TfrmMain::OutlookBar1ItemClick);
    Splitter1->addWidget(OutlookBar1);
}

void TfrmMain::CreateRightPane() {
    auto* pane = new QWidget(Splitter1);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The browser's tool buttons go at the start of this bar.
    ToolBar1 = new QWidget(pane);
    ToolBar1->setFixedHeight(42);
    auto* bar = new QHBoxLayout(ToolBar1);
    bar->setContentsMargins(4, 0, 0, 0);
    bar->setSpacing(0);
    bar->addStretch(1);
    pnlAddress = new QWidget(ToolBar1);
    lblAddress = new QLabel("&Address:", pnlAddress);
    lblAddress->resize(lblAddress->sizeHint());
    bar->addWidget(pnlAddress);
    pnlURL = new QWidget(ToolBar1);
    pnlURL->setMinimumWidth(60);
    pnlURL->installEventFilter(this);
    txtURL = new QLineEdit(pnlURL);
    lblAddress->setBuddy(txtURL);
    bar->addWidget(pnlURL, 3);
    layout->addWidget(ToolBar1);

    // Stand-ins until the browser and the list views take their places.
    pnlContent = new QStackedWidget(pane);
    WebBrowser1 = new QWidget(pnlContent);
    Paint(WebBrowser1, Qt::white);
    Panel6 = new QWidget(pnlContent);
    TreeView1 = new QTreeWidget(pnlContent);
    TreeView1->setHeaderHidden(true);
    pnlContent->addWidget(WebBrowser1);
    pnlContent->addWidget(Panel6);
    pnlContent->addWidget(TreeView1);
    pnlContent->setCurrentWidget(WebBrowser1);
    layout->addWidget(pnlContent, 1);
    Splitter1->addWidget(pane);
}

void TfrmMain::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    Open1 = file->addAction("Quorvane &Home Page");
    OrderingInfo1 = file->addAction("&Ordering Info...");
    SentMessages1 = file->addAction("&Sent Messages...");
    file->addSeparator();
    Close1 = file->addAction("&Close");
    connect(Close1, &QAction::triggered, this, &TfrmMain::Close1Click);

    QMenu* options = menuBar()->addMenu("&Options");
    ConnectionSettings1 = options->addAction("&Connection Settings...");
    GridColors1 = options->addAction("&Grid Colors...");
    CheckForListUpdates1 = options->addAction("Check For List &Updates");
    connect(CheckForListUpdates1, &QAction::triggered, this, &TfrmMain::CheckForListUpdates1Click);
    options->addSeparator();
    UseExternalEmail1 = options->addAction("Use &external Email Program For Links");
    UseExternalEmail1->setCheckable(true);
    UseExternalEmail1->setChecked(true);
    connect(UseExternalEmail1, &QAction::triggered, this, &TfrmMain::UseExternalEmail1Click);

    QMenu* help = menuBar()->addMenu("&Help");
    OnlineHelp1 = help->addAction("&Local Help");
    OnlineSupport1 = help->addAction("Online &Support");
    help->addSeparator();
    About1 = help->addAction("&About");

    PopupMenu1 = new QMenu(this);
    GridColors2 = PopupMenu1->addAction("&Grid Colors...");
}

void TfrmMain::FormCreate() {
    firstActivation_ = true;
    CurrentView = NoView;

    try {
        StartSettings();
    } catch (const std::exception& error) {
        dialogs_.Warning(this, QString::fromStdString(error.what()));
    }

    const TMainPlacement placement = PlaceMainWindow(
        Settings.Status, {Settings.Left, Settings.Top, Settings.Width, Settings.Height},
        screen_.Size);
    move(placement.Normal.Left, placement.Normal.Top);
    resize(placement.Normal.Width, placement.Normal.Height);
    if (placement.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);

    // The side bar reopens as wide as it was left, once the splitter has its
    // size (at the first showing).
    sideBarWidth_ = std::clamp(Settings.OutBarWidth, TSideBar::MinWidth, TSideBar::MaxWidth);

    if (screen_.Depth <= 8) {
        LowColourMode = true;
        qnlabel->show();
        Image1->hide();
    }

    Panel5->setFixedWidth(Adimage1->width() + 1);
    Panel2->setFixedHeight(std::min(Adimage1->height() + 3, kBannerStripMaxHeight));
    Image1->move(6, RoundHalfEven(Panel2->height() / 2.0) - RoundHalfEven(Image1->height() / 2.0));
    qnlabel->move(6,
                  RoundHalfEven(Panel2->height() / 2.0) - RoundHalfEven(qnlabel->height() / 2.0));
    pnlAddress->setFixedWidth(lblAddress->width() + 5);
    lblAddress->move(0, (ToolBar1->height() - lblAddress->height()) / 2);
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    // Without a window manager (a bare X server) nothing activates the
    // window; the first showing then stands for the first activation.
    if (firstActivation_) {
        activateWindow();
        QTimer::singleShot(0, this, &TfrmMain::FormActivate);
    }
}

void TfrmMain::FormShow() {
    if (sideBarWidth_ > 0) {
        Splitter1->setSizes({sideBarWidth_, std::max(Splitter1->width() - sideBarWidth_, 1)});
        sideBarWidth_ = 0;
    }
    if (!Settings.UseRemoteEmail)
        UseExternalEmail1->setChecked(false);
}

bool TfrmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && firstActivation_)
        QTimer::singleShot(0, this, &TfrmMain::FormActivate);
    return QMainWindow::event(event);
}

void TfrmMain::FormActivate() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    LoadStartupLists(ProgramDirectory, Settings, [this](const std::string& message) {
        dialogs_.Warning(this, QString::fromStdString(message));
    });
    BuildLinkGroups();
    if (FirstRun)
        RunFirstRunSequence();
    else
        FinishFirstActivation();
}

void TfrmMain::FinishFirstActivation() {
    if (LowColourMode)
        dialogs_.Warning(this, LowColourWarning);
    txtURL->setFocus();
}

void TfrmMain::BuildLinkGroups() {
    for (const TLinkItem& link : LinkItems(MultimediaList))
        OutlookBar1->AddItem(MultimediaGroup, QString::fromStdString(link.Caption), 0,
                             QString::fromStdString(link.Address));
    for (const TLinkItem& link : LinkItems(AdditionalLinksList))
        OutlookBar1->AddItem(AdditionalLinksGroup, QString::fromStdString(link.Caption), 1,
                             QString::fromStdString(link.Address));
}

// The first run's steps, in order; the request's end brings the rest.
void TfrmMain::RunFirstRunSequence() {
    ShowWelcomeWindow();
    ShowConnectionSettings();
    if (firstRunRequest_)
        firstRunRequest_(*httpClient_, FirstRunProxy(Settings),
                         [this](bool sent) { FirstRunRequestDone(sent); });
}

// A failed request ends the first activation: FirstRun stays set for the
// rest of the run, and neither the colour warning nor the focus move follows.
void TfrmMain::FirstRunRequestDone(bool sent) {
    if (!sent)
        return;
    FirstRun = false;
    FinishFirstActivation();
}

// The welcome window, placed by PlaceWelcomeWindow and shown modally, comes
// with the small windows.
void TfrmMain::ShowWelcomeWindow() {}

// The connection settings window, shown modally so that the user reviews the
// proxy and mail settings, comes with that window's own work.
void TfrmMain::ShowConnectionSettings() {}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlURL && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::FormResize() {
    txtURL->setFixedWidth(std::clamp(pnlURL->width() - 20, 0, kMaxAddressWidth));
    txtURL->move(0, (pnlURL->height() - txtURL->height()) / 2);
}

void TfrmMain::UseExternalEmail1Click() {
    Settings.UseRemoteEmail = UseExternalEmail1->isChecked();
    SaveSettingsOrWarn();
}

void TfrmMain::CheckForListUpdates1Click() {
    ManualCheck = true;
    CreateUpdateWindow();
}

void TfrmMain::CreateUpdateWindow() {
    if (frmUpdate)
        frmUpdate->close();
    frmUpdate = new TfrmUpdate(this, dialogs_, ProgramDirectory);
}

// What the side-bar items open comes with the list views and the browser.
void TfrmMain::OutlookBar1ItemClick(int, int) {}

// The current grid view's column widths join the settings here once the
// list views exist; closing does the rest.
void TfrmMain::Close1Click() {
    close();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
    FormClose();
}

void TfrmMain::FormCloseQuery() {
    TWindowState state = TWindowState::Normal;
    if (isMinimized())
        state = TWindowState::Minimized;
    else if (isMaximized())
        state = TWindowState::Maximized;
    const TWindowRect normal{x(), y(), width(), height()};
    if (RecordClosingState(Settings, state, normal, OutlookBar1->width()))
        SaveSettingsOrWarn();
}

void TfrmMain::FormClose() {
    ParliamentTree.Clear();
    if (frmUpdate)
        frmUpdate->close();
    // A first-run request still under way ends here, unanswered, so that
    // nothing of the first run follows the window's end.
    httpClient_->AbortRequest();
    QCoreApplication::quit();
}

void TfrmMain::SaveSettingsOrWarn() {
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        dialogs_.Warning(this, QString::fromStdString(error.what()));
    }
}
