#include <QApplication>
#include <QIcon>
#include <QLocale>

#include "app/app_state.h"
#include "app/application.h"
#include "app/long_lived_windows.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/web_browser.h"
#include "controls/dialogs.h"
#include "sent/sent_records.h"
#include "update/first_run.h"
#include "update/http_client.h"
#include "webforms/engine/browser_engine.h"

namespace {

// The list update window, created once here, starts the automatic update
// check; it stays hidden unless the server has newer lists.
void CreateUpdateWindow(TfrmMain& frmMain) {
    frmMain.CreateUpdateWindow();
}

}  // namespace

int main(int argc, char* argv[]) {
    PrepareBrowserEngine();
    TQtDialogs dialogs;
    TApplication application(argc, argv, dialogs);
    QApplication::setApplicationName("Quorvane");
    // Desktops match the windows to the installed desktop entry and its icon.
    QApplication::setDesktopFileName("quorvane");
    if (!BrowserEngineAvailable()) {
        dialogs.Warning(nullptr, "Missing or Wrong Version of the Qt WebEngine Browser");
        return 1;
    }

    // The settings write their dates in "M/d/yyyy" themselves; the locale
    // keeps what Qt shows in the same month-first order with "/".
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    ProgramDirectory = QCoreApplication::applicationDirPath().toStdString() + "/";
    QApplication::setWindowIcon(QIcon(LoadPicture(kIconPicture)));

    // Outlives the main window, whose child windows use it.
    qv::sent::TSentRecords sentRecords;
    TfrmMain frmMain(
        dialogs,
        [](qv::THttpClient& client, const qv::TProxyConfig& proxy, std::function<void(bool)> done) {
            qv::SendFirstRunRequest(client, proxy, std::move(done));
        },
        [](QWidget* parent) {
            auto* browser = new TWebBrowser(parent);
            return TBrowserPane{browser, browser};
        });
    const TLongLivedWindows windows = CreateLongLivedWindows(&frmMain, dialogs);
    frmMain.SetLongLivedWindows(windows);
    ConnectMessageWindows(frmMain, dialogs, windows, sentRecords);

    QApplication::setApplicationDisplayName("Quorvane");

    CreateUpdateWindow(frmMain);

    frmMain.show();
    return QApplication::exec();
}
