#pragma once

#include <QFlags>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "banner/ad_library.h"

// Banner formats.
enum class TAdImageSize { ad468x60, ad120x60, ad120x90, ad234x60, ad125x125, ad88x31, sidebar120x60 };

enum class TAdFlags { adOfflineOnly = 0x1 };
using TAdFlagSet = QFlags<TAdFlags>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TAdFlagSet)

// A format's size and the banner type code the library knows it by.
struct TAdFormat {
    int Width;
    int Height;
    std::int32_t TypeCode;
};
TAdFormat AdFormat(TAdImageSize size);

// The format a banner of `width` by `height` pixels takes, and whether it
// shows a companion beside it. A companion always stays sidebar120x60.
struct TAdSizeChoice {
    TAdImageSize Size;
    bool Sidebar;

    bool operator==(const TAdSizeChoice&) const = default;
};
TAdSizeChoice ChooseAdSize(int width, int height, bool companion);

// The sponsor banner: a window of a standard banner size that it hands to the
// advertising library (banner/ad_library.h), which draws the advertisements
// into it. The control loads the library (LibraryDirectory first, then the
// system's search path), starts it once and raises AdChange and
// ClickThrough when the library reports them; nobody need listen.
//
// Sizes: whatever bounds the control is given (SetBounds, or resize, move
// and layouts, which end in the same rule), it picks the format that fits
// (ChooseAdSize) and snaps to the format's natural size at its position. With
// Sidebar set, Start adds a 120 by 60 companion banner at its right end, a
// sibling that moves with it and is started with the companion's type code
// but without messaging.
//
// Failures (no library, a missing export, a refused start) leave
// StartedOkay false and an empty banner; nothing is reported.
//
// Destruction: the control stops receiving the library's messages, deletes
// its companion, destroys its native window and then unloads the library;
// a library still running threads of its own by then is its own fault.
// GUI thread only; Qt parent ownership.
class TAdvertisement : public QWidget {
    Q_OBJECT

  public:
    static constexpr int CompanionWidth = 120;
    static constexpr int CompanionHeight = 60;
    // The library's file name, looked for in LibraryDirectory and then by the
    // dynamic loader's rules.
    static constexpr const char* LibraryName = "libadimage.so";

    // A new control is 588 by 60 pixels: ad468x60 with a companion.
    explicit TAdvertisement(QWidget* parent = nullptr);
    ~TAdvertisement() override;

    TAdImageSize AdSize() const { return FAdSize; }
    // Snaps to the format's natural size without choosing a format again.
    void SetAdSize(TAdImageSize size);
    bool AutoStart() const { return FAutoStart; }
    void SetAutoStart(bool start) { FAutoStart = start; }
    bool AutoStartMessaging() const { return FAutoStartMessaging; }
    void SetAutoStartMessaging(bool start) { FAutoStartMessaging = start; }
    TAdFlagSet Flags() const;
    void SetFlags(TAdFlagSet flags);
    bool Sidebar() const { return FSidebar; }
    void SetSidebar(bool sidebar);
    std::int32_t SoftwareID() const { return FSoftwareID; }
    void SetSoftwareID(std::int32_t id) { FSoftwareID = id; }
    std::int32_t Version() const { return FVersion; }
    void SetVersion(std::int32_t version) { FVersion = version; }
    bool StartedOkay() const { return FStartedOkay; }
    // The folder looked in first for the library; empty for none. Set it
    // before the control starts.
    QString LibraryDirectory() const { return FLibraryDirectory; }
    void SetLibraryDirectory(const QString& directory) { FLibraryDirectory = directory; }
    // The companion banner once Start made one, else null.
    TAdvertisement* Companion() const { return FCompanion; }

    // The format's size, widened by the companion when Sidebar is set.
    QSize NaturalSize() const;
    // Takes the bounds, then chooses and snaps to a format (see above).
    void SetBounds(int left, int top, int width, int height);

    // Call once the properties are set, as a form does after loading: starts
    // the library when AutoStart is set.
    void Loaded();
    // Starts the library with this banner's window; true when it started.
    // A second start after a successful one returns false and calls nothing.
    bool Start();

    QSize sizeHint() const override { return size(); }

  signals:
    // The library shows a new advertisement; `sender` is the banner it
    // reported it on (the companion's reports come through here too).
    void AdChange(TAdvertisement* sender);
    // The user clicked an advertisement.
    void ClickThrough(TAdvertisement* sender);

  protected:
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QPaintEngine* paintEngine() const override;

  private:
    bool LoadLibrary();
    void UnloadLibrary();
    bool StartLibrary();
    void CreateCompanion();
    // Resizes without choosing a format again.
    void ResizeWindow(QSize size);

    TAdImageSize FAdSize = TAdImageSize::ad468x60;
    bool FAutoStart = true;
    bool FAutoStartMessaging = true;
    bool FOfflineOnly = false;
    bool FSidebar = false;
    bool FIsCompanion = false;
    std::int32_t FSoftwareID = 0;
    std::int32_t FVersion = 0;
    bool FStartedOkay = false;
    QString FLibraryDirectory;
    QPointer<TAdvertisement> FCompanion;

    void* FLibrary = nullptr;
    TAdInitialize FInitialize = nullptr;
    TAdStartMessaging FStartMessaging = nullptr;
    TAdUnused FSetThrottle = nullptr;
    TAdUnused FSetProxy = nullptr;
    TAdUnused FSetOffline = nullptr;

    std::uintptr_t FRegisteredWindow = 0;  // the window the library was given
    QSize FSetSize;                        // the size this control last gave itself
    bool FSizing = false;                  // inside SetBounds or ResizeWindow
};
