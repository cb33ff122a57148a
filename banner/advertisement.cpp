#include "banner/advertisement.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {

// The banners whose windows the library was given, so that its messages,
// which may come from any thread, find their control while it lives.
struct TBannerWindows {
    std::mutex Lock;
    std::unordered_map<std::uintptr_t, TAdvertisement*> Banners;
};

TBannerWindows& BannerWindows() {
    static TBannerWindows windows;
    return windows;
}

QEvent::Type AdMessageEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// One of the library's notifications, on its way to the user-interface thread.
class TAdMessage : public QEvent {
  public:
    explicit TAdMessage(std::uint32_t message) : QEvent(AdMessageEvent()), Message(message) {}
    std::uint32_t Message;
};

void Register(std::uintptr_t window, TAdvertisement* banner) {
    TBannerWindows& windows = BannerWindows();
    const std::lock_guard lock(windows.Lock);
    windows.Banners[window] = banner;
}

void Unregister(std::uintptr_t window) {
    TBannerWindows& windows = BannerWindows();
    const std::lock_guard lock(windows.Lock);
    windows.Banners.erase(window);
}

template <typename TFunction>
void Resolve(void* library, const char* name, TFunction& function) {
    if (function == nullptr)
        function = reinterpret_cast<TFunction>(dlsym(library, name));
}

}  // namespace

extern "C" int QvAdImageNotify(std::uintptr_t window, std::uint32_t message) {
    if (message != AdChangeMessage && message != AdClickThroughMessage)
        return 0;
    TBannerWindows& windows = BannerWindows();
    const std::lock_guard lock(windows.Lock);
    const auto found = windows.Banners.find(window);
    if (found == windows.Banners.end())
        return 0;
    // Posting is safe from any thread; the control unregisters under the
    // same lock before it is destroyed, and Qt drops events still queued for
    // a destroyed object.
    QCoreApplication::postEvent(found->second, new TAdMessage(message));
    return 1;
}

TAdFormat AdFormat(TAdImageSize size) {
    switch (size) {
        case TAdImageSize::ad468x60:
            return {468, 60, 1};
        case TAdImageSize::ad120x60:
            return {120, 60, 9};
        case TAdImageSize::ad120x90:
            return {120, 90, 8};
        case TAdImageSize::ad234x60:
            return {234, 60, 6};
        case TAdImageSize::ad125x125:
            return {125, 125, 7};
        case TAdImageSize::ad88x31:
            return {88, 31, 10};
        case TAdImageSize::sidebar120x60:
            return {120, 60, 20};
    }
    return {468, 60, 1};
}

TAdSizeChoice ChooseAdSize(int width, int height, bool companion) {
    using enum TAdImageSize;
    if (companion)
        return {sidebar120x60, false};
    if (width < 104 || height < 20)
        return {ad88x31, false};
    if (width < 180 && height < 75)
        return {ad120x60, false};
    if (width < 180 && height < 115)
        return {ad120x90, false};
    if (width < 180)
        return {ad125x125, false};
    if (width < 240)
        return {ad120x60, true};
    if (width < 330)
        return {ad234x60, false};
    if (width < 411)
        return {ad234x60, true};
    if (width < 528)
        return {ad468x60, false};
    return {ad468x60, true};
}

TAdvertisement::TAdvertisement(QWidget* parent) : QWidget(parent) {
    // The library paints the whole window.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    SetBounds(x(), y(), 588, height());
    SetBounds(x(), y(), width(), 60);
}

TAdvertisement::~TAdvertisement() {
    if (FRegisteredWindow != 0)
        Unregister(FRegisteredWindow);
    delete FCompanion.data();
    if (testAttribute(Qt::WA_WState_Created))
        destroy();
    UnloadLibrary();
}

TAdFlagSet TAdvertisement::Flags() const {
    return FOfflineOnly ? TAdFlagSet(TAdFlags::adOfflineOnly) : TAdFlagSet();
}

void TAdvertisement::SetFlags(TAdFlagSet flags) {
    FOfflineOnly = flags.testFlag(TAdFlags::adOfflineOnly);
}

void TAdvertisement::SetSidebar(bool sidebar) {
    FSidebar = sidebar;
    SetAdSize(FAdSize);
}

void TAdvertisement::SetAdSize(TAdImageSize size) {
    FAdSize = size;
    FIsCompanion = size == TAdImageSize::sidebar120x60;
    ResizeWindow(NaturalSize());
}

QSize TAdvertisement::NaturalSize() const {
    const TAdFormat format = AdFormat(FAdSize);
    QSize natural(format.Width, format.Height);
    if (FSidebar) {
        const QSize companion =
            FCompanion ? FCompanion->size() : QSize(CompanionWidth, CompanionHeight);
        natural.rwidth() += companion.width();
        natural.setHeight(std::max(natural.height(), companion.height()));
    }
    return natural;
}

void TAdvertisement::ResizeWindow(QSize size) {
    const QScopedValueRollback sizing(FSizing, true);
    FSetSize = size;
    resize(size);
}

void TAdvertisement::SetBounds(int left, int top, int width, int height) {
    {
        const QScopedValueRollback sizing(FSizing, true);
        const QPoint moved = QPoint(left, top) - pos();
        FSetSize = QSize(width, height);
        setGeometry(left, top, width, height);
        if (FCompanion && !moved.isNull())
            FCompanion->move(FCompanion->pos() + moved);
    }
    const TAdSizeChoice choice = ChooseAdSize(width, height, FIsCompanion);
    FSidebar = choice.Sidebar;
    SetAdSize(choice.Size);
}

// Layouts and callers of move and resize reach the size rule here.
void TAdvertisement::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!FSizing && FCompanion)
        FCompanion->move(FCompanion->pos() + event->pos() - event->oldPos());
}

void TAdvertisement::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!FSizing && event->size() != FSetSize)
        SetBounds(x(), y(), event->size().width(), event->size().height());
}

void TAdvertisement::Loaded() {
    if (FAutoStart)
        Start();
}

bool TAdvertisement::Start() {
    const bool started = StartLibrary();
    // A second start must not add a second companion.
    if (FSidebar && !FCompanion)
        CreateCompanion();
    return started;
}

bool TAdvertisement::StartLibrary() {
    const std::int32_t type = AdFormat(FAdSize).TypeCode;
    if (!LoadLibrary())
        return false;
    if (FStartedOkay)
        return false;
    // The library gets a native window of its own; the windows around it
    // stay Qt's.
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_NativeWindow);
    const auto window = static_cast<std::uintptr_t>(winId());
    if (window != FRegisteredWindow) {
        if (FRegisteredWindow != 0)
            Unregister(FRegisteredWindow);
        // Before Initialize: the library may report back at once.
        Register(window, this);
        FRegisteredWindow = window;
    }
    FStartedOkay = FInitialize(window, FSoftwareID, FVersion, type, FOfflineOnly ? 1 : 0) != 0;
    if (FAutoStartMessaging && FStartedOkay)
        FStartedOkay = FStartMessaging(FSoftwareID) != 0;
    if (FStartedOkay) {
        // From now on the library draws the window; Qt must not paint over it.
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    return FStartedOkay;
}

bool TAdvertisement::LoadLibrary() {
    if (FLibrary == nullptr) {
        if (!FLibraryDirectory.isEmpty()) {
            const QString path = QDir(FLibraryDirectory).filePath(LibraryName);
            FLibrary = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        }
        if (FLibrary == nullptr)
            FLibrary = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
        if (FLibrary == nullptr)
            return false;
    }
    Resolve(FLibrary, "Initialize", FInitialize);
    Resolve(FLibrary, "StartMessaging", FStartMessaging);
    Resolve(FLibrary, "SetThrottle", FSetThrottle);
    Resolve(FLibrary, "SetProxy", FSetProxy);
    Resolve(FLibrary, "SetOffline", FSetOffline);
    if (FInitialize == nullptr || FStartMessaging == nullptr || FSetThrottle == nullptr ||
        FSetProxy == nullptr || FSetOffline == nullptr) {
        UnloadLibrary();
        return false;
    }
    return true;
}

void TAdvertisement::UnloadLibrary() {
    if (FLibrary != nullptr)
        dlclose(FLibrary);
    FLibrary = nullptr;
    FInitialize = nullptr;
    FStartMessaging = nullptr;
    FSetThrottle = nullptr;
    FSetProxy = nullptr;
    FSetOffline = nullptr;
}

void TAdvertisement::CreateCompanion() {
    auto* companion = new TAdvertisement(parentWidget());
    companion->SetAdSize(TAdImageSize::sidebar120x60);
    companion->SetAutoStart(false);
    companion->SetAutoStartMessaging(false);
    companion->setCursor(cursor());
    companion->SetFlags(Flags());
    companion->SetSoftwareID(FSoftwareID);
    companion->SetVersion(FVersion);
    companion->SetLibraryDirectory(FLibraryDirectory);
    companion->SetSidebar(false);
    companion->SetBounds(x() + width() - CompanionWidth, y(), CompanionWidth, CompanionHeight);
    connect(companion, &TAdvertisement::AdChange, this, &TAdvertisement::AdChange);
    connect(companion, &TAdvertisement::ClickThrough, this, &TAdvertisement::ClickThrough);
    FCompanion = companion;
    companion->Start();
    if (!isHidden())
        companion->show();
    ResizeWindow(QSize(width() - CompanionWidth, height()));
    update();
}

bool TAdvertisement::event(QEvent* event) {
    if (event->type() == AdMessageEvent()) {
        const auto message = static_cast<TAdMessage*>(event)->Message;
        if (message == AdChangeMessage)
            emit AdChange(this);
        else if (message == AdClickThroughMessage)
            emit ClickThrough(this);
        return true;
    }
    return QWidget::event(event);
}

void TAdvertisement::paintEvent(QPaintEvent*) {
    if (FStartedOkay)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

QPaintEngine* TAdvertisement::paintEngine() const {
    return FStartedOkay ? nullptr : QWidget::paintEngine();
}
