#include "app/web_browser.h"

#include <QDesktopServices>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

namespace {

bool IsMailAddress(const QUrl& url) {
    return url.scheme().compare("mailto", Qt::CaseInsensitive) == 0;
}

// Hands the page's main-frame navigations to the pane before they start. A
// link to a mail address goes to the system's mail program, not to the page.
class TWebPage : public QWebEnginePage {
  public:
    TWebPage(std::function<void(const QUrl&)> beforeNavigate, QObject* parent)
        : QWebEnginePage(parent), BeforeNavigate(std::move(beforeNavigate)) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (!isMainFrame)
            return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
        if (IsMailAddress(url)) {
            QDesktopServices::openUrl(url);
            return false;
        }
        BeforeNavigate(url);
        return true;
    }

  private:
    std::function<void(const QUrl&)> BeforeNavigate;
};

// Why a load failed, in a few words: the engine's error name for a network
// failure ("net::ERR_CONNECTION_REFUSED"), the status of an HTTP error. The
// engine's texts for other failures are templates of its error page.
QString FailureReason(const QWebEngineLoadingInfo& loading) {
    if (loading.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        return QString("HTTP error %1").arg(loading.errorCode());
    const QString text = loading.errorString();
    if (text.isEmpty() || text.contains('<'))
        return QString("error %1").arg(loading.errorCode());
    return text;
}

}  // namespace

QString ErrorPageAddress(const QUrl& failed) {
    return QString(kBrowserErrorPageScheme) + "error/" + failed.toString();
}

TWebBrowser::TWebBrowser(QWidget* parent) : QWebEngineView(parent) {
    auto* webPage = new TWebPage([this](const QUrl& url) { BeforeNavigate(url.toString()); }, this);
    setPage(webPage);
    // loadFinished(bool) reports false for some pages that loaded; the
    // loading information tells success from failure reliably.
    connect(webPage, &QWebEnginePage::loadingChanged, this, &TWebBrowser::LoadingChanged);
    connect(webPage, &QWebEnginePage::linkHovered, this,
            [this](const QString& address) { StatusTextChange(address); });
}

void TWebBrowser::Navigate(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    if (!url.isValid())
        return;
    if (IsMailAddress(url)) {
        QDesktopServices::openUrl(url);
        return;
    }
    load(url);
}

void TWebBrowser::GoBack() {
    triggerPageAction(QWebEnginePage::Back);
}

void TWebBrowser::GoForward() {
    triggerPageAction(QWebEnginePage::Forward);
}

void TWebBrowser::Stop() {
    triggerPageAction(QWebEnginePage::Stop);
}

void TWebBrowser::Refresh() {
    triggerPageAction(QWebEnginePage::Reload);
}

QWebEngineView* TWebBrowser::createWindow(QWebEnginePage::WebWindowType) {
    return this;
}

void TWebBrowser::LoadingChanged(const QWebEngineLoadingInfo& loading) {
    // A link to a mail address starts a load of its own that the engine
    // stops at once; it is no page.
    if (IsMailAddress(loading.url()))
        return;
    const QString address = loading.url().toString();
    switch (loading.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            StatusTextChange("Opening " + address + "...");
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            StatusTextChange(kBrowserDoneStatus);
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            StatusTextChange("Stopped");
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            if (loading.isErrorPage())
                BeforeNavigate(ErrorPageAddress(loading.url()));
            StatusTextChange(QString(kBrowserFailedStatus) + " " + address + ": " +
                             FailureReason(loading));
            break;
    }
}
