#include "banner/advertisement.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <string>

namespace {

constexpr const char* StandInDir = QV_STAND_IN_DIR;
constexpr const char* NoOfflineDir = QV_NO_OFFLINE_DIR;

std::string LibraryIn(const char* directory) {
    return std::string(directory) + "/" + TAdvertisement::LibraryName;
}

bool Loaded(const char* directory) {
    void* handle = dlopen(LibraryIn(directory).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

// The test's own hold on the stand-in library, to read what the banner
// called and to send messages as the library would.
class TStandIn {
  public:
    TStandIn() : Handle(dlopen(LibraryIn(StandInDir).c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (Handle != nullptr) {
            CallsFn = reinterpret_cast<const char* (*)()>(dlsym(Handle, "StandInCalls"));
            ResetFn = reinterpret_cast<void (*)(std::int16_t, std::int16_t)>(
                dlsym(Handle, "StandInReset"));
            SendFn = reinterpret_cast<int (*)(std::uintptr_t, std::uint32_t, int)>(
                dlsym(Handle, "StandInSend"));
        }
    }
    ~TStandIn() { Close(); }

    bool Ready() const { return CallsFn != nullptr && ResetFn != nullptr && SendFn != nullptr; }
    std::string Calls() const { return CallsFn(); }
    void Reset(std::int16_t initialize, std::int16_t startMessaging) const {
        ResetFn(initialize, startMessaging);
    }
    int Send(const TAdvertisement& banner, std::uint32_t message, bool fromOwnThread) const {
        return SendFn(static_cast<std::uintptr_t>(banner.winId()), message, fromOwnThread ? 1 : 0);
    }
    int SendTo(std::uintptr_t window, std::uint32_t message) const {
        return SendFn(window, message, 0);
    }
    void Close() {
        if (Handle != nullptr)
            dlclose(Handle);
        Handle = nullptr;
    }

  private:
    void* Handle;
    const char* (*CallsFn)() = nullptr;
    void (*ResetFn)(std::int16_t, std::int16_t) = nullptr;
    int (*SendFn)(std::uintptr_t, std::uint32_t, int) = nullptr;
};

std::string Window(const TAdvertisement& banner) {
    return std::to_string(static_cast<std::uintptr_t>(banner.winId()));
}

class AdvertisementTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(StandIn.Ready());
        StandIn.Reset(1, 1);
    }

    // A banner as the main window sets one up, minus the start.
    std::unique_ptr<TAdvertisement> Banner(const QString& directory = StandInDir) {
        auto banner = std::make_unique<TAdvertisement>();
        banner->SetSidebar(false);
        banner->SetSoftwareID(242);
        banner->SetVersion(3);
        banner->SetLibraryDirectory(directory);
        return banner;
    }

    TStandIn StandIn;
};

TEST(AdSizeTest, BoundsChooseTheFormatAndSnapToIt) {
    using enum TAdImageSize;
    struct TCase {
        QSize Bounds;
        TAdImageSize Size;
        bool Sidebar;
        QSize Natural;
    };
    const TCase cases[] = {
        {{500, 60}, ad468x60, false, {468, 60}},  {{600, 60}, ad468x60, true, {588, 60}},
        {{100, 100}, ad88x31, false, {88, 31}},   {{300, 19}, ad88x31, false, {88, 31}},
        {{150, 74}, ad120x60, false, {120, 60}},  {{150, 75}, ad120x90, false, {120, 90}},
        {{179, 115}, ad125x125, false, {125, 125}}, {{180, 60}, ad120x60, true, {240, 60}},
        {{329, 60}, ad234x60, false, {234, 60}},  {{410, 60}, ad234x60, true, {354, 60}},
        {{527, 60}, ad468x60, false, {468, 60}},  {{528, 90}, ad468x60, true, {588, 60}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Bounds.width() << " x " << c.Bounds.height());
        TAdvertisement banner;
        banner.SetBounds(7, 5, c.Bounds.width(), c.Bounds.height());
        EXPECT_EQ(banner.AdSize(), c.Size);
        EXPECT_EQ(banner.Sidebar(), c.Sidebar);
        EXPECT_EQ(banner.geometry(), QRect(QPoint(7, 5), c.Natural));
    }
}

TEST(AdSizeTest, NewBannerAndPropertySetters) {
    TAdvertisement banner;
    EXPECT_EQ(banner.size(), QSize(588, 60));
    EXPECT_EQ(banner.AdSize(), TAdImageSize::ad468x60);
    EXPECT_TRUE(banner.Sidebar());
    EXPECT_TRUE(banner.AutoStart());
    EXPECT_TRUE(banner.AutoStartMessaging());
    EXPECT_FALSE(banner.StartedOkay());
    EXPECT_EQ(banner.cursor().shape(), Qt::PointingHandCursor);

    // Sidebar and AdSize snap to the natural size without choosing again.
    banner.SetSidebar(false);
    EXPECT_EQ(banner.size(), QSize(468, 60));
    banner.SetAdSize(TAdImageSize::ad125x125);
    EXPECT_EQ(banner.size(), QSize(125, 125));
    EXPECT_EQ(banner.AdSize(), TAdImageSize::ad125x125);

    // Resizing by other means ends in the same rule.
    banner.show();
    banner.resize(600, 60);
    EXPECT_EQ(banner.size(), QSize(588, 60));
    EXPECT_TRUE(banner.Sidebar());
}

TEST_F(AdvertisementTest, StartCallsTheLibraryOnceWithTheBannersValues) {
    struct TCase {
        const char* Name;
        std::int16_t InitializeResult;
        std::int16_t StartMessagingResult;
        bool AutoStartMessaging;
        TAdFlagSet Flags;
        QSize Bounds;
        bool Started;
        std::string Calls;  // {W} stands for the banner's window
    };
    const TCase cases[] = {
        {"started", 1, 1, true, {}, {468, 60}, true, "Initialize {W} 242 3 1 0\nStartMessaging 242\n"},
        {"off line", 1, 1, true, TAdFlags::adOfflineOnly, {468, 60}, true,
         "Initialize {W} 242 3 1 1\nStartMessaging 242\n"},
        {"small format", 1, 1, true, {}, {150, 60}, true,
         "Initialize {W} 242 3 9 0\nStartMessaging 242\n"},
        {"initialize refused", 0, 1, true, {}, {468, 60}, false, "Initialize {W} 242 3 1 0\n"},
        {"messaging refused", 1, 0, true, {}, {468, 60}, false,
         "Initialize {W} 242 3 1 0\nStartMessaging 242\n"},
        {"without messaging", 1, 1, false, {}, {468, 60}, true, "Initialize {W} 242 3 1 0\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StandIn.Reset(c.InitializeResult, c.StartMessagingResult);
        auto banner = Banner();
        banner->SetAutoStartMessaging(c.AutoStartMessaging);
        banner->SetFlags(c.Flags);
        banner->SetBounds(0, 0, c.Bounds.width(), c.Bounds.height());
        EXPECT_EQ(banner->Start(), c.Started);
        EXPECT_EQ(banner->StartedOkay(), c.Started);
        std::string expected = c.Calls;
        expected.replace(expected.find("{W}"), 3, Window(*banner));
        EXPECT_EQ(StandIn.Calls(), expected);

        // Once started, starting again calls nothing.
        if (c.Started) {
            StandIn.Reset(1, 1);
            EXPECT_FALSE(banner->Start());
            EXPECT_EQ(StandIn.Calls(), "");
        }
    }
}

TEST_F(AdvertisementTest, WithoutAUsableLibraryTheBannerStaysEmpty) {
    QTemporaryDir empty;
    struct TCase {
        const char* Name;
        QString Directory;
    };
    const TCase cases[] = {{"no library", empty.path()}, {"export missing", NoOfflineDir}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto banner = Banner(c.Directory);
        EXPECT_FALSE(banner->Start());
        EXPECT_FALSE(banner->StartedOkay());
        EXPECT_EQ(banner->size(), QSize(468, 60));
        EXPECT_FALSE(Loaded(NoOfflineDir));
        banner->show();
        banner->update();
        QApplication::processEvents();
    }
    EXPECT_EQ(StandIn.Calls(), "");
}

TEST_F(AdvertisementTest, MessagesRaiseTheirEventsOnTheInterfaceThread) {
    struct TCase {
        const char* Name;
        std::uint32_t Message;
        bool FromOwnThread;
        bool Listening;
        int Result;
        int AdChanges;
        int ClickThroughs;
    };
    const TCase cases[] = {
        {"ad change", AdChangeMessage, false, true, 1, 1, 0},
        {"click through from a library thread", AdClickThroughMessage, true, true, 1, 0, 1},
        {"ad change from a library thread", AdChangeMessage, true, true, 1, 1, 0},
        {"nobody listening", AdChangeMessage, true, false, 1, 0, 0},
        {"other message", 0x87B8, false, true, 0, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto banner = Banner();
        ASSERT_TRUE(banner->Start());
        int adChanges = 0;
        int clickThroughs = 0;
        bool onInterfaceThread = true;
        const auto check = [&](TAdvertisement* sender) {
            onInterfaceThread &= QThread::currentThread() == qApp->thread();
            EXPECT_EQ(sender, banner.get());
        };
        if (c.Listening) {
            QObject::connect(banner.get(), &TAdvertisement::AdChange, [&](TAdvertisement* sender) {
                check(sender);
                ++adChanges;
            });
            QObject::connect(banner.get(), &TAdvertisement::ClickThrough,
                             [&](TAdvertisement* sender) {
                                 check(sender);
                                 ++clickThroughs;
                             });
        }
        EXPECT_EQ(StandIn.Send(*banner, c.Message, c.FromOwnThread), c.Result);
        // Queued: nothing is raised inside the library's call.
        EXPECT_EQ(adChanges + clickThroughs, 0);
        QApplication::processEvents();
        EXPECT_EQ(adChanges, c.AdChanges);
        EXPECT_EQ(clickThroughs, c.ClickThroughs);
        EXPECT_TRUE(onInterfaceThread);
    }
}

TEST_F(AdvertisementTest, DestroyingTheBannerDropsItsMessagesAndUnloadsTheLibrary) {
    auto banner = Banner();
    ASSERT_TRUE(banner->Start());
    const auto window = static_cast<std::uintptr_t>(banner->winId());
    // Queued before the banner goes, delivered never.
    EXPECT_EQ(StandIn.SendTo(window, AdChangeMessage), 1);
    banner.reset();
    EXPECT_EQ(StandIn.SendTo(window, AdChangeMessage), 0);
    QApplication::processEvents();
    StandIn.Close();
    EXPECT_FALSE(Loaded(StandInDir));
}

TEST_F(AdvertisementTest, SidebarAddsAStartedCompanionWithoutMessaging) {
    QWidget form;
    form.resize(800, 100);
    auto* banner = new TAdvertisement(&form);
    banner->SetSoftwareID(242);
    banner->SetVersion(3);
    banner->SetFlags(TAdFlags::adOfflineOnly);
    banner->SetLibraryDirectory(StandInDir);
    banner->setCursor(Qt::CrossCursor);
    banner->SetBounds(10, 20, 600, 60);
    ASSERT_TRUE(banner->Sidebar());

    EXPECT_TRUE(banner->Start());
    TAdvertisement* companion = banner->Companion();
    ASSERT_NE(companion, nullptr);
    EXPECT_EQ(companion->parentWidget(), &form);
    EXPECT_EQ(companion->AdSize(), TAdImageSize::sidebar120x60);
    EXPECT_FALSE(companion->Sidebar());
    EXPECT_FALSE(companion->AutoStart());
    EXPECT_EQ(companion->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(companion->geometry(), QRect(478, 20, 120, 60));
    EXPECT_EQ(banner->geometry(), QRect(10, 20, 468, 60));
    EXPECT_EQ(StandIn.Calls(), "Initialize " + Window(*banner) + " 242 3 1 1\nStartMessaging 242\n" +
                                   "Initialize " + Window(*companion) + " 242 3 20 1\n");
    EXPECT_TRUE(companion->StartedOkay());

    // A second start adds no second companion.
    EXPECT_FALSE(banner->Start());
    EXPECT_EQ(form.findChildren<TAdvertisement*>().size(), 2);

    // The companion's reports reach the banner's listeners, naming it.
    TAdvertisement* reported = nullptr;
    QObject::connect(banner, &TAdvertisement::ClickThrough,
                     [&](TAdvertisement* sender) { reported = sender; });
    EXPECT_EQ(StandIn.Send(*companion, AdClickThroughMessage, false), 1);
    QApplication::processEvents();
    EXPECT_EQ(reported, companion);

    // The companion moves with the banner, shown or not.
    banner->SetBounds(30, 25, banner->width(), banner->height());
    EXPECT_EQ(companion->pos(), QPoint(498, 25));
    form.show();
    banner->move(40, 25);
    QApplication::processEvents();
    EXPECT_EQ(companion->pos(), QPoint(508, 25));
    EXPECT_TRUE(companion->isVisible());
}

}  // namespace
