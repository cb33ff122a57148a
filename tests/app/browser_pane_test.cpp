// The main window's browser pane with the engine faked: the start page and
// its local fallback, the address box, the tool buttons and the menu items.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/pages.h"
#include "support/fresh_start.h"
#include "update/servers.h"

namespace {

using BrowserPaneTest = FreshStartTest;

class TKeyCounter : public QObject {
  public:
    int Keys = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            ++Keys;
        return false;
    }
};

QString Page(const std::string& address) {
    return QString::fromStdString(address);
}

QString ProductPage(const char* path) {
    return QString("http://") + qv::servers::kProductHost + path;
}

TEST_F(BrowserPaneTest, StartPageFallsBackToTheLocalCopyUntilTheFirstLoadEnds) {
    struct TRow {
        const char* Name;
        std::function<void(TFakeBrowser&)> FirstLoad;
        bool FallsBack;
    };
    const TRow rows[] = {
        {"offline: the load fails", [](TFakeBrowser& browser) { browser.Fail(); }, true},
        {"the error page reports Done",
         [](TFakeBrowser& browser) {
             browser.OnBeforeNavigate("res://error/" + browser.CurrentAddress());
             browser.Finish();
         },
         true},
        {"the start page loads", [](TFakeBrowser& browser) { browser.Finish(); }, false},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        auto frmMain = Start();
        frmMain->show();
        const QString online = Page(OnlineStartPage());
        ASSERT_EQ(Browser->Navigations(), QStringList{online});
        EXPECT_EQ(frmMain->txtURL->text(), online);

        row.FirstLoad(*Browser);
        QStringList expected{online};
        if (row.FallsBack)
            expected.append(Page(LocalPage("qnindex.htm")));
        EXPECT_EQ(Browser->Navigations(), expected);
        EXPECT_EQ(frmMain->txtURL->text(), expected.last());

        // Later failures, the local page's own too, are the engine's to show.
        Browser->Fail();
        frmMain->NavigateTo("http://later.example/");
        Browser->Fail();
        expected.append("http://later.example/");
        EXPECT_EQ(Browser->Navigations(), expected);
        EXPECT_EQ(frmMain->StatusBar1->currentMessage(), "Unable to load http://later.example/");
        EXPECT_EQ(frmMain->txtURL->text(), "res://error/http://later.example/");
    }
}

TEST_F(BrowserPaneTest, MenuItemsAndToolButtonsOpenTheirPages) {
    auto frmMain = Start();
    frmMain->show();
    Browser->Finish();
    struct TRow {
        const char* Name;
        std::function<void()> Use;
        QString Request;
    };
    const TRow rows[] = {
        {"Quorvane Home Page", [&] { frmMain->Open1->trigger(); }, "navigate " + ProductPage("/")},
        {"Ordering Info...", [&] { frmMain->OrderingInfo1->trigger(); },
         "navigate " + ProductPage("/order.html")},
        {"Local Help", [&] { frmMain->OnlineHelp1->trigger(); },
         "navigate " + Page(LocalPage("qnhelp.htm"))},
        {"Online Support", [&] { frmMain->OnlineSupport1->trigger(); },
         "navigate " + ProductPage("/qnweb/qnhelp.htm")},
        {"back", [&] { QTest::mouseClick(frmMain->ToolButton1, Qt::LeftButton); }, "back"},
        {"forward", [&] { QTest::mouseClick(frmMain->ToolButton2, Qt::LeftButton); }, "forward"},
        {"stop", [&] { QTest::mouseClick(frmMain->ToolButton3, Qt::LeftButton); }, "stop"},
        {"refresh", [&] { QTest::mouseClick(frmMain->ToolButton4, Qt::LeftButton); }, "refresh"},
        {"home", [&] { QTest::mouseClick(frmMain->ToolButton5, Qt::LeftButton); },
         "navigate " + ProductPage("/qnweb/qnindex120.htm")},
        {"news", [&] { QTest::mouseClick(frmMain->ToolButton6, Qt::LeftButton); },
         "navigate " + ProductPage("/qnnews/")},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        Browser->Requests.clear();
        row.Use();
        EXPECT_EQ(Browser->Requests, QStringList{row.Request});
    }
}

TEST_F(BrowserPaneTest, SendButtonShowsTheReviewWindowOnceAndBringsItForward) {
    auto frmMain = Start();
    TLongLivedWindows windows = CreateLongLivedWindows(frmMain.get(), Dialogs);
    frmMain->SetLongLivedWindows(windows);
    frmMain->show();
    int shown = 0;
    QTimer::singleShot(0, [&] {
        ++shown;
        EXPECT_TRUE(windows.frmGroupEmail->isModal());
        // A second press while it shows: no second window, no nested loop.
        QTest::mouseClick(frmMain->ToolButton8, Qt::LeftButton);
        windows.frmGroupEmail->reject();
    });
    QTest::mouseClick(frmMain->ToolButton8, Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(windows.frmGroupEmail->isVisible());
}

TEST_F(BrowserPaneTest, AddressBoxOpensTheTypedAddressAndStatusBarFollowsThePage) {
    auto frmMain = Start();
    frmMain->show();
    Browser->Finish();
    Browser->Requests.clear();
    QLineEdit* box = frmMain->txtURL;
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, "www.senate.gov");
    EXPECT_TRUE(Browser->Requests.isEmpty());
    // A key that the box leaves alone travels on to the window.
    TKeyCounter reachedWindow;
    frmMain->installEventFilter(&reachedWindow);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(reachedWindow.Keys, 0);
    EXPECT_EQ(Browser->Requests,
              (QStringList{"navigate www.senate.gov", "navigate www.senate.gov"}));
    EXPECT_EQ(box->text(), "www.senate.gov");

    // Every navigation, a page's own or back, writes its address into the box.
    Browser->OnBeforeNavigate("https://www.senate.gov/");
    EXPECT_EQ(box->text(), "https://www.senate.gov/");
    QTest::mouseClick(frmMain->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(box->text(), "www.senate.gov");

    // The status bar shows each status text, an empty one too.
    for (const QString text : {"https://www.house.gov/representatives", ""}) {
        Browser->OnStatusTextChange(text);
        EXPECT_EQ(frmMain->StatusBar1->currentMessage(), text);
    }
}

}  // namespace
