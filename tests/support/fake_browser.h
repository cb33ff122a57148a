#pragma once

#include <QStringList>
#include <QWidget>

#include "app/browser.h"
#include "app/main_window.h"

// Stands in for the browser engine: records every request and keeps a
// history like an engine's. Navigate announces the address at once; loads
// end only when a test calls Finish or Fail.
class TFakeBrowser : public QWidget, public IBrowser {
  public:
    explicit TFakeBrowser(QWidget* parent) : QWidget(parent) {}

    // The browser pane for TfrmMain; *made points at the browser once the
    // window has made it.
    static TBrowserFactory Factory(TFakeBrowser** made) {
        return [made](QWidget* parent) {
            auto* browser = new TFakeBrowser(parent);
            *made = browser;
            return TBrowserPane{browser, browser};
        };
    }

    void Navigate(const QString& address) override {
        Requests.append("navigate " + address);
        History.erase(History.begin() + Current + 1, History.end());
        History.append(address);
        Current = History.size() - 1;
        BeforeNavigate(address);
    }
    void GoBack() override { Move(-1); }
    void GoForward() override { Move(+1); }
    void Stop() override { Requests.append("stop"); }
    void Refresh() override { Requests.append("refresh"); }

    // The current load ends: well, or with the engine's error page.
    void Finish() { StatusTextChange(kBrowserDoneStatus); }
    void Fail() {
        BeforeNavigate(QString(kBrowserErrorPageScheme) + "error/" + CurrentAddress());
        StatusTextChange(QString(kBrowserFailedStatus) + " " + CurrentAddress());
    }

    QString CurrentAddress() const { return Current >= 0 ? History.value(Current) : QString(); }
    // The addresses the window asked to open, without back, forward and
    // the rest.
    QStringList Navigations() const {
        QStringList addresses;
        for (const QString& request : Requests)
            if (request.startsWith("navigate "))
                addresses.append(request.mid(9));
        return addresses;
    }

    QStringList Requests;

  private:
    void Move(int step) {
        Requests.append(step < 0 ? "back" : "forward");
        const qsizetype target = Current + step;
        if (target < 0 || target >= History.size())
            return;
        Current = target;
        BeforeNavigate(History[Current]);
    }

    QStringList History;
    qsizetype Current = -1;
};
