// The browser pane on the real engine, under the offscreen platform.
#include "app/web_browser.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/pages.h"
#include "support/fresh_start.h"
#include "support/http_test_servers.h"

namespace {

// The engine loads pages in its own processes: long waits.
constexpr int kLoadWait = 20000;

// Takes the addresses QDesktopServices is asked to open for "mailto:".
class TMailProgram : public QObject {
    Q_OBJECT

  public:
    TMailProgram() { QDesktopServices::setUrlHandler("mailto", this, "Open"); }
    ~TMailProgram() override { QDesktopServices::unsetUrlHandler("mailto"); }

    QStringList Opened;

  public slots:
    void Open(const QUrl& url) { Opened.append(url.toString()); }
};

class WebBrowserTest : public FreshStartTest {
  protected:
    static TBrowserFactory Engine() {
        return [](QWidget* parent) {
            auto* browser = new TWebBrowser(parent);
            return TBrowserPane{browser, browser};
        };
    }
};

TEST_F(WebBrowserTest, OfflineStartEndsOnTheShippedStartPageAndLaterFailuresStay) {
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("QV_RUNTIME_DIR") + "/qnindex.htm",
                            QDir(Program.path()).filePath("qnindex.htm")));
    qvtest::HttpTestServer server(Program.path());
    TfrmMain frmMain(Dialogs, {}, Engine(), {32, {1024, 768}});
    const auto status = [&] { return frmMain.StatusBar1->currentMessage(); };

    // The start page, from a product server that refuses the connection.
    frmMain.NavigateTo(
        QString("http://127.0.0.1:%1/qnweb/qnindex120.htm").arg(qvtest::FreeLoopbackPort()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Done"; }, kLoadWait))
        << status().toStdString();
    const QString local = QString::fromStdString(LocalPage("qnindex.htm"));
    EXPECT_EQ(frmMain.txtURL->text(), local);

    // A page that is not there fails, and stays as the engine shows it.
    const QString missing = QString::fromStdString(server.Url("/missing.htm"));
    frmMain.NavigateTo(missing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status().startsWith("Unable to load"); }, kLoadWait))
        << status().toStdString();
    QTest::qWait(300);
    EXPECT_EQ(status(), "Unable to load " + missing + ": HTTP error 404");
    EXPECT_EQ(frmMain.txtURL->text(), missing);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(WebBrowserTest, NavigationsHistoryMailAddressesAndHoveredLinks) {
    QFile page(QDir(Program.path()).filePath("links.htm"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(
        "<html><body style='margin:0'>"
        "<a href='second.htm' style='display:block;height:100px'>next</a>"
        "<a href='mailto:senator@senate.example' style='display:block;height:100px'>"
        "mail</a></body></html>");
    page.close();
    QFile second(QDir(Program.path()).filePath("second.htm"));
    ASSERT_TRUE(second.open(QIODevice::WriteOnly));
    second.write("<html><body>second</body></html>");
    second.close();
    const QString first = QUrl::fromLocalFile(page.fileName()).toString();
    const QString next = QUrl::fromLocalFile(second.fileName()).toString();

    TMailProgram mail;
    TWebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    QStringList navigations;
    QStringList statuses;
    browser.OnBeforeNavigate = [&](const QString& address) { navigations.append(address); };
    browser.OnStatusTextChange = [&](const QString& text) { statuses.append(text); };
    const auto done = [&](int loads) {
        return QTest::qWaitFor([&] { return statuses.count("Done") == loads; }, kLoadWait);
    };

    // Back and forward with an empty history do nothing.
    browser.GoBack();
    browser.GoForward();
    QTest::qWait(200);
    EXPECT_TRUE(navigations.isEmpty());

    browser.Navigate(first);
    ASSERT_TRUE(done(1));
    browser.Navigate(next);
    ASSERT_TRUE(done(2));
    browser.GoBack();
    ASSERT_TRUE(done(3));
    EXPECT_EQ(navigations, (QStringList{first, next, first}));

    // The program's mail address and a clicked mail link go to the mail
    // program; the page stays.
    browser.Navigate("mailto:president@whitehouse.example");
    QWidget* surface = browser.focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseMove(surface, {50, 50});
    ASSERT_TRUE(QTest::qWaitFor([&] { return statuses.contains(next); }, kLoadWait));
    QTest::mouseClick(surface, Qt::LeftButton, {}, {50, 150});
    ASSERT_TRUE(QTest::qWaitFor([&] { return mail.Opened.size() == 2; }, kLoadWait));
    QTest::qWait(300);
    EXPECT_EQ(mail.Opened, (QStringList{"mailto:president@whitehouse.example",
                                        "mailto:senator@senate.example"}));
    EXPECT_EQ(navigations.size(), 3);
    EXPECT_EQ(browser.url().toString(), first);
}

}  // namespace

#include "web_browser_test.moc"
