#pragma once

#include <QWebEngineView>

#include "app/browser.h"

class QWebEngineLoadingInfo;

// The browser pane on the system's web engine. Main-frame loads report
// kBrowserDoneStatus when they succeed; a load that fails (a network error,
// or an HTTP error status such as 404) reports kBrowserFailedStatus with the
// address and the engine's reason, and, when the engine shows its own error
// page, that page's kBrowserErrorPageScheme address before it. Hovering over
// a link shows its address. "mailto:" addresses, from the program or from a
// link, go to the system's mail program (QDesktopServices) and never into
// the page. A page's request for a new window opens in this one.
// The engine must have been prepared (PrepareBrowserEngine) before the
// application object was created. User-interface thread only.
class TWebBrowser : public QWebEngineView, public IBrowser {
    Q_OBJECT

  public:
    explicit TWebBrowser(QWidget* parent = nullptr);

    void Navigate(const QString& address) override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;

  protected:
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;

  private:
    void LoadingChanged(const QWebEngineLoadingInfo& loading);
};

// The address under which the pane shows the engine's error page for a
// failed load of `failed`.
QString ErrorPageAddress(const QUrl& failed);
