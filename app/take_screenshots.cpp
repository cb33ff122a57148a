// Takes the README's screenshots of the main window with the shipped lists
// and pages: qv_take_screenshots <folder>. Runs under an X server (the script
// scripts/screenshots.sh starts one) with a settings folder of its own, and
// opens the local start page so that the pictures do not depend on the
// network.
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/pages.h"
#include "app/web_browser.h"
#include "controls/dialogs.h"
#include "controls/side_bar.h"
#include "webforms/engine/browser_engine.h"

namespace {

// The window as the pictures show it, in the settings file's terms.
const char* const SettingsText =
    "[Main]\r\nStatus=0\r\nLeft=0\r\nTop=0\r\nWidth=1000\r\nHeight=640\r\nOutBar Width=150\r\n";

void Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitFor(const std::function<bool()>& done, int milliseconds = 30000) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        Wait(50);
    return done();
}

bool Shoot(TfrmMain& frmMain, const QString& path) {
    Wait(500);  // let the last paint reach the screen
    const QPixmap picture = frmMain.screen()->grabWindow(frmMain.winId());
    if (!picture.isNull() && picture.save(path, "PNG")) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// Opens `address` and waits until the page has loaded.
bool Open(TfrmMain& frmMain, const std::string& address) {
    frmMain.StatusBar1->clearMessage();
    frmMain.NavigateTo(QString::fromStdString(address));
    return WaitFor([&] { return frmMain.StatusBar1->currentMessage() == "Done"; });
}

}  // namespace

int main(int argc, char* argv[]) {
    PrepareBrowserEngine();
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_take_screenshots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir config;
    if (!config.isValid() || !QDir(config.path()).mkpath("quorvane"))
        return 1;
    QFile settings(config.filePath("quorvane/quorvane.ini"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write(SettingsText) < 0)
        return 1;
    settings.close();
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ProgramDirectory = QCoreApplication::applicationDirPath().toStdString() + "/";

    TQtDialogs dialogs;
    TfrmMain frmMain(dialogs, {}, [](QWidget* parent) {
        auto* browser = new TWebBrowser(parent);
        return TBrowserPane{browser, browser};
    });
    frmMain.show();
    // The online start page first, as at every start; then the local copy.
    WaitFor([&] {
        return !frmMain.StatusBar1->currentMessage().isEmpty() &&
               !frmMain.StatusBar1->currentMessage().startsWith("Opening");
    });
    bool ok = Open(frmMain, LocalPage(kLocalStartPageFile));
    ok = ok && Shoot(frmMain, folder.filePath("screenshot.png"));

    // The Senate view with every state.
    frmMain.OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, 0);
    frmMain.cbSName->setCurrentIndex(0);
    ok = ok && Shoot(frmMain, folder.filePath("senate.png"));
    return ok ? 0 : 1;
}
