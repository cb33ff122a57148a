// The first run's request as the program sends it: from the main window's
// first activation, through a proxy that a loopback HTTP server plays.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "app/app_state.h"
#include "app/main_window.h"
#include "settings/settings.h"
#include "support/answering_proxy.h"
#include "support/fake_dialogs.h"
#include "support/fresh_start.h"
#include "update/first_run.h"

namespace {

class FirstRunRequestTest : public FreshStartTest {
  protected:
    void TearDown() override {
        if (Proxy.state() != QProcess::NotRunning) {
            Proxy.kill();
            Proxy.waitForFinished(5000);
        }
    }

    int StartProxy() {
        Proxy.start(qEnvironmentVariable("QV_PYTHON", "/usr/bin/python3"),
                    {"-c", qv::test::kAnsweringProxyScript});
        if (!Proxy.waitForStarted(10000))
            return 0;
        return ReadLine().toInt();
    }

    // The proxy's next line of output, whole.
    QByteArray ReadLine() {
        const QDeadlineTimer deadline(10000);
        while (!Proxy.canReadLine() && !deadline.hasExpired())
            Proxy.waitForReadyRead(100);
        return Proxy.readLine().trimmed();
    }

    // The program's first-run request, noting when it has ended.
    TFirstRunRequest Request() {
        return [this](qv::THttpClient& client, const qv::TProxyConfig& proxy,
                      std::function<void(bool)> done) {
            qv::SendFirstRunRequest(client, proxy, [this, done](bool sent) {
                done(sent);
                RequestEnded = true;
            });
        };
    }

    void WaitForTheRequest() {
        const QDeadlineTimer deadline(30000);
        while (!RequestEnded && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        ASSERT_TRUE(RequestEnded);
    }

    // A first start whose connection settings name the proxy at `port`.
    std::unique_ptr<TfrmMain> StartWithProxy(int port) {
        auto frmMain = Start({32, {1024, 768}}, Request());
        Settings.UseProxy = true;
        Settings.ProxyHost = "127.0.0.1";
        Settings.ProxyPort = port;
        return frmMain;
    }

    QProcess Proxy;
    bool RequestEnded = false;
};

TEST_F(FirstRunRequestTest, AnsweredRequestEndsTheFirstRun) {
    const int port = StartProxy();
    ASSERT_GT(port, 0) << Proxy.readAllStandardError().constData();
    auto frmMain = StartWithProxy(port);
    ASSERT_TRUE(FirstRun);
    frmMain->FormActivate();
    WaitForTheRequest();
    EXPECT_FALSE(FirstRun);
    EXPECT_EQ(ReadLine(), "GET http://news.quorvane.org/qnnew.dat HTTP/1.0")
        << Proxy.readAllStandardError().constData();
    EXPECT_EQ(frmMain->focusWidget(), frmMain->txtURL);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(FirstRunRequestTest, UnreachableProxyLeavesTheFirstRunSetSilently) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const int port = closed.serverPort();
    closed.close();
    auto frmMain = StartWithProxy(port);
    frmMain->FormActivate();
    WaitForTheRequest();
    EXPECT_TRUE(FirstRun);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
    EXPECT_NE(frmMain->focusWidget(), frmMain->txtURL);
}

// Ends the test process if it is not released in time: a program that spins
// in its event loop runs no timers of its own.
class TWatchdog {
  public:
    explicit TWatchdog(std::chrono::seconds limit)
        : Thread([this, limit] {
              std::unique_lock lock(Mutex);
              if (!Released.wait_for(lock, limit, [this] { return Done; })) {
                  std::fprintf(stderr, "the program did not end\n");
                  std::_Exit(1);
              }
          }) {}
    ~TWatchdog() {
        {
            std::lock_guard lock(Mutex);
            Done = true;
        }
        Released.notify_one();
        Thread.join();
    }

  private:
    std::mutex Mutex;
    std::condition_variable Released;
    bool Done = false;
    std::thread Thread;
};

TEST_F(FirstRunRequestTest, ClosingDuringTheRequestEndsTheProgramAndDropsTheRequest) {
    // A proxy that answers only after the user has closed the window.
    QTcpServer proxy;
    ASSERT_TRUE(proxy.listen(QHostAddress::LocalHost));
    auto frmMain = Start({8, {1024, 768}}, Request());
    Settings.UseProxy = true;
    Settings.ProxyHost = "127.0.0.1";
    Settings.ProxyPort = proxy.serverPort();
    QObject::connect(&proxy, &QTcpServer::newConnection, [&] {
        QTcpSocket* held = proxy.nextPendingConnection();
        QTimer::singleShot(50, frmMain.get(), &QWidget::close);
        QTimer::singleShot(300, held, [held] {
            held->write("HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\nno news");
            held->disconnectFromHost();
        });
    });
    frmMain->show();
    {
        const TWatchdog watchdog(std::chrono::seconds(30));
        QApplication::exec();
    }
    EXPECT_TRUE(frmMain->isHidden());
    // Nothing of the first run follows, also once the proxy has answered.
    WaitForTheRequest();
    QTimer::singleShot(500, [] { QApplication::exit(); });
    QApplication::exec();
    EXPECT_TRUE(FirstRun);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

}  // namespace
