#include "app/small_windows.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <exception>

#include "app/app_state.h"
#include "app/pages.h"
#include "app/pictures.h"
#include "app/placement.h"
#include "controls/dialogs.h"
#include "controls/wallpaper.h"
#include "settings/settings.h"
#include "update/servers.h"

namespace {

const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 128, 0);
const QColor kPanelColour(240, 240, 250);
constexpr Qt::WindowFlags kFixedDialog =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

void Paint(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* Text(const QString& text, const QColor& colour, bool bold, int sizeStep, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(bold);
    font.setPointSize(font.pointSize() + sizeStep);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}

QLabel* Icon(QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setPixmap(LoadPicture(kIconPicture));
    icon->setFixedSize(32, 32);
    return icon;
}

// The welcome and about windows' face: a navy window filled by the tiled
// background, holding a framed panel (returned) above the OK button.
QFrame* TiledFace(QDialog& window, TWallpaper*& wallpaper, QPushButton*& ok) {
    Paint(&window, kNavy);
    auto* windowLayout = new QVBoxLayout(&window);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    wallpaper = new TWallpaper(&window);
    Paint(wallpaper, kNavy);
    wallpaper->SetBevelOuter(TBevelCut::None);
    wallpaper->SetWallpaper(LoadPicture(kBackgroundPicture));
    windowLayout->addWidget(wallpaper);

    auto* layout = new QVBoxLayout(wallpaper);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(10);
    auto* panel = new QFrame(wallpaper);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    Paint(panel, kPanelColour);
    layout->addWidget(panel, 1);

    ok = new QPushButton("OK", wallpaper);
    ok->setDefault(true);
    ok->setMinimumWidth(80);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    QObject::connect(ok, &QPushButton::clicked, &window, &QDialog::accept);
    return panel;
}

}  // namespace

QColor SettingColour(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ColourSetting(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

void PlaceOverParent(QWidget& window) {
    const QWidget* main = window.parentWidget();
    if (main == nullptr)
        return;
    const QRect frame = main->frameGeometry();
    // The screen's right and bottom edges, also on a screen right of or below
    // another.
    const QRect area = main->screen()->availableGeometry();
    const TWindowRect placed = PlaceDialog({frame.x(), frame.y(), frame.width(), frame.height()},
                                           {0, 0, window.width(), window.height()},
                                           {area.x() + area.width(), area.y() + area.height()});
    window.move(placed.Left, placed.Top);
}

TfrmStartUp::TfrmStartUp(QWidget* parent) : QDialog(parent, kFixedDialog) {
    setWindowTitle("Welcome to Quorvane");
    QFrame* panel = TiledFace(*this, Wallpaper1, btnOK);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setSpacing(10);
    auto* heading = new QHBoxLayout;
    heading->addWidget(Icon(panel));
    QLabel* title = Text("Welcome to Quorvane", kNavy, true, 5, panel);
    title->setAlignment(Qt::AlignCenter);
    heading->addWidget(title, 1);
    heading->addWidget(Icon(panel));
    layout->addLayout(heading);
    layout->addWidget(
        Text("Thank you for downloading Quorvane.  Quorvane is a free "
             "advertiser-supported program.",
             kGreen, true, 1, panel));
    layout->addWidget(Text("To support this free software, please click on the sponsor ads.", kNavy,
                           false, 1, panel));
    layout->addStretch(1);
    setFixedSize(440, 220);
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent, kFixedDialog) {
    setWindowTitle("About Quorvane");
    QFrame* panel = TiledFace(*this, Wallpaper1, btnOK);
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setHorizontalSpacing(14);
    layout->setVerticalSpacing(4);
    layout->addWidget(Icon(panel), 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(Text("Quorvane", kNavy, true, 6, panel), 0, 1);
    layout->addWidget(Text("Version 1.20", Qt::black, false, 0, panel), 1, 1);
    layout->setRowMinimumHeight(2, 8);
    layout->addWidget(
        Text("Quorvane is an advertisor supported program.", Qt::black, false, 0, panel), 3, 1);
    layout->addWidget(
        Text("For the latest product information, visit the ", Qt::black, false, 0, panel), 4, 1);
    layout->addWidget(Text("Quorvane web site at:", Qt::black, false, 0, panel), 5, 1);
    lblLink = new QLabel(panel);
    lblLink->setText(QString("<a href=\"site\" style=\"color:#000080; "
                             "text-decoration:underline\">%1</a>")
                         .arg(qv::servers::kProductHost));
    lblLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblLink->setCursor(Qt::PointingHandCursor);
    lblLink->setAccessibleName("Quorvane web site");
    connect(lblLink, &QLabel::linkActivated, this, [this] { lblLinkClick(); });
    layout->addWidget(lblLink, 6, 1);
    layout->setRowStretch(7, 1);
    // The link stands above the OK button, so Tab reaches it first.
    setTabOrder(lblLink, btnOK);
    setFixedSize(400, 270);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    Wallpaper1->SetWallpaper(LowColourMode ? QPixmap() : LoadPicture(kBackgroundPicture));
    PlaceOverParent(*this);
    QDialog::showEvent(event);
}

// The page opens behind this window, which closes to show it.
void TfrmAbout::lblLinkClick() {
    if (OpenSite)
        OpenSite(QString::fromStdString(ProductHomePage()));
    accept();
}

TfrmColor::TfrmColor(QWidget* parent, IDialogs& dialogs)
    : QDialog(parent, kFixedDialog), dialogs_(dialogs) {
    setWindowTitle("Grid Color Settings");
    auto* layout = new QVBoxLayout(this);
    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    const auto row = [&](int at, const QString& caption, const QString& name, QFrame*& swatch,
                         QPushButton*& change) {
        swatch = new QFrame(this);
        swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
        swatch->setFixedSize(64, 24);
        swatch->setAutoFillBackground(true);
        swatch->setAccessibleName(name);
        change = new QPushButton("Change...", this);
        change->setAutoDefault(false);
        change->setAccessibleName("Change " + name);
        auto* label = new QLabel(caption, this);
        label->setBuddy(change);
        rows->addWidget(label, at, 0);
        rows->addWidget(swatch, at, 1);
        rows->addWidget(change, at, 2);
        QFrame* shown = swatch;
        connect(change, &QPushButton::clicked, this, [this, shown] { ChangeClick(shown); });
    };
    row(0, "&Even Row Color:", "Even row colour", shpEven, btnEven);
    row(1, "&Odd Row Color:", "Odd row colour", shpOdd, btnOdd);
    layout->addLayout(rows);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOK = buttons->button(QDialogButtonBox::Ok);
    btnCancel = buttons->button(QDialogButtonBox::Cancel);
    connect(btnOK, &QPushButton::clicked, this, &TfrmColor::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo({300, 0}));
}

namespace {

void SetSwatch(QFrame* swatch, const QColor& colour) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    swatch->setAccessibleDescription(colour.name());
}

}  // namespace

QColor TfrmColor::EvenColour() const {
    return shpEven->palette().color(QPalette::Window);
}

QColor TfrmColor::OddColour() const {
    return shpOdd->palette().color(QPalette::Window);
}

void TfrmColor::showEvent(QShowEvent* event) {
    SetSwatch(shpEven, SettingColour(Settings.EvenRowColor));
    SetSwatch(shpOdd, SettingColour(Settings.OddRowColor));
    PlaceOverParent(*this);
    QDialog::showEvent(event);
}

void TfrmColor::ChangeClick(QFrame* swatch) {
    const std::optional<QColor> chosen =
        dialogs_.Colour(this, swatch->palette().color(QPalette::Window));
    if (chosen)
        SetSwatch(swatch, *chosen);
}

// A refused write is shown; the colours stay on the grid and in the
// settings, which are written again when the program closes.
void TfrmColor::btnOKClick() {
    Settings.EvenRowColor = ColourSetting(EvenColour());
    Settings.OddRowColor = ColourSetting(OddColour());
    if (ApplyColours)
        ApplyColours();
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        dialogs_.Warning(this, QString::fromStdString(error.what()));
    }
    accept();
}
