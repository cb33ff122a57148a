#pragma once

// The browser pane as the main window uses it: the few operations and events
// it relies on, whatever engine renders the pages. Qt Core only, so that the
// window can be tested with a fake in place of the engine.

#include <QString>
#include <functional>

// Status texts the window acts on while the start page is loading; an engine
// reports its other progress in texts of its own.
inline constexpr const char* kBrowserDoneStatus = "Done";
inline constexpr const char* kBrowserFailedStatus = "Unable to load";

// The scheme of the engine's own error pages: after a main-frame load fails,
// the engine shows its error page under an address that starts with it.
inline constexpr const char* kBrowserErrorPageScheme = "res://";

// One browser control. Operations are requests: each returns at once and the
// engine reports what follows through the events. None of them raises; back
// and forward at an end of the history do nothing. An implementation hands a
// "mailto:" address to the system's mail program instead of loading it.
// Used on the user-interface thread only; the events are called there too,
// possibly from inside a request. The owner of the control sets the events
// once, before the first request.
class IBrowser {
  public:
    using TAddressEvent = std::function<void(const QString& address)>;
    using TTextEvent = std::function<void(const QString& text)>;

    virtual ~IBrowser() = default;

    // Opens `address`: a URL, a local file's URL, or what a user types into
    // an address box ("www.senate.gov").
    virtual void Navigate(const QString& address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;

    // Before every main-frame navigation, whoever started it (the program, a
    // link in the page, back or forward, a redirect), with the address being
    // opened; also with a kBrowserErrorPageScheme address when the engine
    // shows its error page for a load that failed.
    TAddressEvent OnBeforeNavigate;
    // Each change of the status text: kBrowserDoneStatus when a main-frame
    // load has finished, a text containing kBrowserFailedStatus when one has
    // failed, a hovered link's address, and the engine's own texts.
    TTextEvent OnStatusTextChange;

  protected:
    void BeforeNavigate(const QString& address) {
        if (OnBeforeNavigate)
            OnBeforeNavigate(address);
    }
    void StatusTextChange(const QString& text) {
        if (OnStatusTextChange)
            OnStatusTextChange(text);
    }
};
