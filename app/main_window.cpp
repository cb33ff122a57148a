#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>
#include <exception>

#include "app/app_state.h"
#include "app/browser.h"
#include "app/form_walk_bar.h"
#include "app/pages.h"
#include "app/pictures.h"
#include "app/web_forms_window.h"
#include "banner/advertisement.h"
#include "controls/dialogs.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "lists/official_list.h"
#include "lists/parliament_tree.h"
#include "lists/zip_districts.h"
#include "settings/settings.h"
#include "settings/windows/proxy_window.h"
#include "update/http_client.h"
#include "update/windows/update_window.h"

namespace {

const QColor kNavy(0, 0, 128);
constexpr int kBannerStripMaxHeight = 62;
constexpr int kBannerWidth = 468;
constexpr int kBannerHeight = 60;
constexpr int kBannerSoftwareID = 242;
constexpr int kMaxAddressWidth = 371;
constexpr int kToolButtonWidth = 46;
constexpr int kToolButtonHeight = 38;
// The tool bar's face, which the tool bar's pictures are drawn on.
const QColor kToolBarFace(240, 240, 240);

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

TfrmMain::TfrmMain(IDialogs& dialogs, TFirstRunRequest firstRunRequest,
                   const TBrowserFactory& browser, TScreenInfo screen, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      firstRunRequest_(std::move(firstRunRequest)),
      screen_(screen),
      httpClient_(new qv::THttpClient(this)) {
    setWindowTitle("Quorvane");
    // FormClose ends the program itself.
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls(browser);
    CreateMenus();
    FormCreate();
}

// The windows and the bar that use the walk's marks go before the marks do.
TfrmMain::~TfrmMain() {
    delete frmUpdate;
    delete frmWebForms;
    delete pnlFormWalk;
}

void TfrmMain::CreateControls(const TBrowserFactory& browser) {
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
    CreateRightPane(browser);
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
    Image1->setPixmap(LoadPicture(kLogoPicture));
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
    for (const char* name : kLargeSideBarPictures)
        large.append(QIcon(LoadPicture(name)));
    QList<QIcon> small;
    for (const char* name : kSmallSideBarPictures)
        small.append(QIcon(LoadPicture(name)));
    OutlookBar1->SetLargeImages(large);
    OutlookBar1->SetSmallImages(small);

    using Size = TSideBar::TIconSize;
    const int government = OutlookBar1->AddGroup("US Government", Size::Large);
    int image = 0;
    for (const char* caption :
         {"Senate", "House Of Representatives", "White House", "Senate Voting", "House Voting"})
        OutlookBar1->AddItem(government, caption, image++);
    OutlookBar1->AddItem(government, "My Officials", kMyOfficialsPictureIndex);
    const int international = OutlookBar1->AddGroup("International", Size::Large);
    for (const char* caption : {"World Leaders", "World Parliaments"})
        OutlookBar1->AddItem(international, caption, image++);
    OutlookBar1->AddGroup("Multimedia", Size::Small);
    OutlookBar1->AddGroup("Additional Links", Size::Small);
    connect(OutlookBar1, &TSideBar::ItemClicked, this, &TfrmMain::OutlookBar1ItemClick);
    Splitter1->addWidget(OutlookBar1);
}

void TfrmMain::CreateRightPane(const TBrowserFactory& browser) {
    auto* pane = new QWidget(Splitter1);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = new QWidget(pane);
    ToolBar1->setFixedHeight(42);
    Paint(ToolBar1, kToolBarFace);
    auto* bar = new QHBoxLayout(ToolBar1);
    bar->setContentsMargins(4, 0, 0, 0);
    bar->setSpacing(0);
    CreateToolButtons(bar);
    bar->addStretch(1);
    pnlAddress = new QWidget(ToolBar1);
    lblAddress = new QLabel("&Address:", pnlAddress);
    lblAddress->resize(lblAddress->sizeHint());
    bar->addWidget(pnlAddress);
    pnlURL = new QWidget(ToolBar1);
    pnlURL->setMinimumWidth(60);
    pnlURL->installEventFilter(this);
    txtURL = new QLineEdit(pnlURL);
    txtURL->setAccessibleName("Address");
    txtURL->installEventFilter(this);
    lblAddress->setBuddy(txtURL);
    bar->addWidget(pnlURL, 3);
    layout->addWidget(ToolBar1);

    pnlContent = new QStackedWidget(pane);
    const TBrowserPane browserPane = browser(pnlContent);
    WebBrowser1 = browserPane.View;
    WebBrowser1->setAccessibleName("Web page");
    browser_ = browserPane.Browser;
    browser_->OnBeforeNavigate = [this](const QString& address) {
        WebBrowser1BeforeNavigate2(address);
    };
    browser_->OnStatusTextChange = [this](const QString& text) {
        WebBrowser1StatusTextChange(text);
    };
    Panel6 = new QWidget(pnlContent);
    CreateListPanel();
    TreeView1 = new QTreeWidget(pnlContent);
    CreateTreeView();
    pnlContent->addWidget(WebBrowser1);
    pnlContent->addWidget(Panel6);
    pnlContent->addWidget(TreeView1);
    pnlContent->setCurrentWidget(WebBrowser1);
    // Web forms are filled on the engine's page; a browser pane without one
    // cannot walk through them.
    if (auto* view = qobject_cast<QWebEngineView*>(WebBrowser1)) {
        pnlFormWalk = new TFormWalkBar(*view->page(), formMarks_,
                                       [this](const QUrl& url) { NavigateTo(url.toString()); },
                                       pane);
        layout->addWidget(pnlFormWalk);
    }
    layout->addWidget(pnlContent, 1);
    Splitter1->addWidget(pane);
}

// Icons only, each with a normal and a highlighted picture; the name, the
// tool tip and the shortcut say what a button does.
void TfrmMain::CreateToolButtons(QLayout* bar) {
    const QPixmap normal = LoadPicture(kToolBarPicture);
    const QPixmap hot = LoadPicture(kToolBarHotPicture);
    int picture = 0;
    const auto button = [&](const QString& name, const QKeySequence& shortcut,
                            void (TfrmMain::*click)()) {
        auto* toolButton = new QToolButton(ToolBar1);
        toolButton->setAutoRaise(true);
        toolButton->setFixedSize(kToolButtonWidth, kToolButtonHeight);
        toolButton->setIconSize({kToolBarIconWidth, kToolBarIconHeight});
        const QRect cell(picture * kToolBarIconWidth, 0, kToolBarIconWidth, kToolBarIconHeight);
        ++picture;
        QIcon icon;
        if (!normal.isNull())
            icon.addPixmap(normal.copy(cell), QIcon::Normal);
        if (!hot.isNull())
            icon.addPixmap(hot.copy(cell), QIcon::Active);
        toolButton->setIcon(icon);
        toolButton->setAccessibleName(name);
        toolButton->setShortcut(shortcut);
        toolButton->setToolTip(
            shortcut.isEmpty() ? name
                               : name + " (" + shortcut.toString(QKeySequence::NativeText) + ")");
        connect(toolButton, &QToolButton::clicked, this, click);
        bar->addWidget(toolButton);
        return toolButton;
    };
    ToolButton1 = button("Back", QKeySequence::Back, &TfrmMain::ToolButton1Click);
    ToolButton2 = button("Forward", QKeySequence::Forward, &TfrmMain::ToolButton2Click);
    ToolButton3 = button("Stop", Qt::Key_Escape, &TfrmMain::ToolButton3Click);
    ToolButton4 = button("Refresh", QKeySequence::Refresh, &TfrmMain::ToolButton4Click);
    ToolButton5 = button("Home", Qt::ALT | Qt::Key_Home, &TfrmMain::ToolButton5Click);
    auto* separator = new QFrame(ToolBar1);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedHeight(kToolButtonHeight - 8);
    bar->addWidget(separator);
    ToolButton8 = button("Send a message to the ticked officials", {}, &TfrmMain::ToolButton8Click);
    ToolButton6 = button("News", {}, &TfrmMain::ToolButton6Click);
}

void TfrmMain::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    Open1 = file->addAction("Quorvane &Home Page");
    connect(Open1, &QAction::triggered, this, &TfrmMain::Open1Click);
    OrderingInfo1 = file->addAction("&Ordering Info...");
    connect(OrderingInfo1, &QAction::triggered, this, &TfrmMain::OrderingInfo1Click);
    WebForms1 = file->addAction("Write Through &Web Forms...");
    connect(WebForms1, &QAction::triggered, this, &TfrmMain::ShowWebForms);
    SentMessages1 = file->addAction("&Sent Messages...");
    file->addSeparator();
    Close1 = file->addAction("&Close");
    connect(Close1, &QAction::triggered, this, &TfrmMain::Close1Click);

    QMenu* options = menuBar()->addMenu("&Options");
    ConnectionSettings1 = options->addAction("&Connection Settings...");
    connect(ConnectionSettings1, &QAction::triggered, this, &TfrmMain::ShowConnectionSettings);
    GridColors1 = options->addAction("&Grid Colors...");
    connect(GridColors1, &QAction::triggered, this, &TfrmMain::GridColors1Click);
    CheckForListUpdates1 = options->addAction("Check For List &Updates");
    connect(CheckForListUpdates1, &QAction::triggered, this, &TfrmMain::CheckForListUpdates1Click);
    options->addSeparator();
    UseExternalEmail1 = options->addAction("Use &external Email Program For Links");
    UseExternalEmail1->setCheckable(true);
    UseExternalEmail1->setChecked(true);
    connect(UseExternalEmail1, &QAction::triggered, this, &TfrmMain::UseExternalEmail1Click);

    QMenu* help = menuBar()->addMenu("&Help");
    OnlineHelp1 = help->addAction("&Local Help");
    OnlineHelp1->setShortcut(QKeySequence::HelpContents);
    connect(OnlineHelp1, &QAction::triggered, this, &TfrmMain::OnlineHelp1Click);
    OnlineSupport1 = help->addAction("Online &Support");
    connect(OnlineSupport1, &QAction::triggered, this, &TfrmMain::OnlineSupport1Click);
    help->addSeparator();
    About1 = help->addAction("&About");
    connect(About1, &QAction::triggered, this, &TfrmMain::About1Click);

    PopupMenu1 = new QMenu(this);
    GridColors2 = PopupMenu1->addAction("&Grid Colors...");
    connect(GridColors2, &QAction::triggered, this, &TfrmMain::GridColors1Click);
    SuperGrid1->SetPopupMenu(PopupMenu1);
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

    if (screen_.Depth > 8) {
        ApplyRowColours();
    } else {
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
    NavigateTo(QString::fromStdString(OnlineStartPage()));
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
    FillTreeView();
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

void TfrmMain::ShowWelcomeWindow() {
    TfrmStartUp welcome(this);
    const QRect main = frameGeometry();
    const TWindowRect placed =
        PlaceWelcomeWindow({main.x(), main.y(), main.width(), main.height()},
                           {0, 0, welcome.width(), welcome.height()}, screen_.Size);
    welcome.move(placed.Left, placed.Top);
    dialogs_.ShowModal(welcome);
}

// Also the first run's second step, so that the user reviews the proxy and
// mail settings.
void TfrmMain::ShowConnectionSettings() {
    TfrmProxy::Execute(this, dialogs_);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlURL && event->type() == QEvent::Resize)
        FormResize();
    if (watched == txtURL && event->type() == QEvent::KeyPress &&
        txtURLKeyPress(*static_cast<QKeyEvent*>(event)))
        return true;
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

void TfrmMain::SetLongLivedWindows(const TLongLivedWindows& windows) {
    windows_ = windows;
    if (windows_.frmAbout)
        windows_.frmAbout->OpenSite = [this](const QString& address) { NavigateTo(address); };
    if (windows_.frmColor)
        windows_.frmColor->ApplyColours = [this] { ApplyRowColours(); };
}

void TfrmMain::GridColors1Click() {
    if (windows_.frmColor)
        dialogs_.ShowModal(*windows_.frmColor);
}

void TfrmMain::About1Click() {
    if (windows_.frmAbout)
        dialogs_.ShowModal(*windows_.frmAbout);
}

void TfrmMain::CheckForListUpdates1Click() {
    ManualCheck = true;
    CreateUpdateWindow();
}

void TfrmMain::CreateUpdateWindow() {
    if (frmUpdate)
        frmUpdate->close();
    frmUpdate = new TfrmUpdate(this, dialogs_, ProgramDirectory);
    frmUpdate->Updater().OnListInstalled = [this](qv::TUpdateList list, bool) {
        ListReloaded(list);
    };
}

// A reloaded list no longer matches the rows shown from it (and the rows' map
// into it): they are filled afresh, and the tree view from the new tree.
void TfrmMain::ListReloaded(qv::TUpdateList list) {
    switch (list) {
        case qv::TUpdateList::Parliament:
            FillTreeView();
            break;
        case qv::TUpdateList::Senate:
        case qv::TUpdateList::House:
        case qv::TUpdateList::Leaders:
            FillGrid();
            if (frmWebForms)
                frmWebForms->Reload();
            break;
        case qv::TUpdateList::Misc:
            break;
    }
}

void TfrmMain::NavigateTo(const QString& address) {
    txtURL->setEnabled(true);
    EnableBrowserButtons(true);
    pnlContent->setCurrentWidget(WebBrowser1);
    browser_->Navigate(address);
}

// The address box stays usable in the list views, so that a typed address
// opens from there too.
void TfrmMain::EnableBrowserButtons(bool enabled) {
    for (QToolButton* button : {ToolButton1, ToolButton2, ToolButton3, ToolButton4, ToolButton5})
        button->setEnabled(enabled);
}

// Enter (or Return) opens the typed address; the key goes no further.
bool TfrmMain::txtURLKeyPress(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    NavigateTo(txtURL->text());
    return true;
}

void TfrmMain::ToolButton1Click() {
    browser_->GoBack();
}

void TfrmMain::ToolButton2Click() {
    browser_->GoForward();
}

void TfrmMain::ToolButton3Click() {
    browser_->Stop();
}

void TfrmMain::ToolButton4Click() {
    browser_->Refresh();
}

void TfrmMain::ToolButton5Click() {
    NavigateTo(QString::fromStdString(OnlineStartPage()));
}

void TfrmMain::ToolButton6Click() {
    NavigateTo(QString::fromStdString(NewsPage()));
}

// The recipient review window, modal; when it is showing already it comes to
// the front instead.
void TfrmMain::ToolButton8Click() {
    QDialog* review = windows_.frmGroupEmail;
    if (review == nullptr)
        return;
    if (review->isVisible()) {
        review->raise();
        review->activateWindow();
        return;
    }
    review->exec();
}

void TfrmMain::WebBrowser1BeforeNavigate2(const QString& address) {
    txtURL->setText(address);
}

// Until the first page load ends, a failure replaces the online start page
// by the local copy; afterwards failures are the browser's to show.
void TfrmMain::WebBrowser1StatusTextChange(const QString& text) {
    StatusBar1->showMessage(text);
    if (startPageSettled_)
        return;
    if (text.contains(kBrowserFailedStatus)) {
        startPageSettled_ = true;
        NavigateTo(QString::fromStdString(LocalPage(kLocalStartPageFile)));
    } else if (text == kBrowserDoneStatus) {
        startPageSettled_ = true;
        if (txtURL->text().contains(kBrowserErrorPageScheme))
            NavigateTo(QString::fromStdString(LocalPage(kLocalStartPageFile)));
    }
}

void TfrmMain::Open1Click() {
    NavigateTo(QString::fromStdString(ProductHomePage()));
}

void TfrmMain::OrderingInfo1Click() {
    NavigateTo(QString::fromStdString(OrderingPage()));
}

void TfrmMain::OnlineHelp1Click() {
    NavigateTo(QString::fromStdString(LocalPage(kLocalHelpPageFile)));
}

void TfrmMain::OnlineSupport1Click() {
    NavigateTo(QString::fromStdString(OnlineSupportPage()));
}

// Unlike the close box, File, "Close" keeps the current view's column widths.
void TfrmMain::Close1Click() {
    StoreColumnWidths();
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
