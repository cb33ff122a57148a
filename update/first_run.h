// The one request the program makes at its first run.
#pragma once

#include <chrono>
#include <string>

namespace qv {

// The proxy part of the connection settings, as the first-run request needs it.
struct TProxyConfig {
    bool UseProxy;
    std::string Host;
    int Port;
    bool UseAuthorization;
    std::string User, Password;
};

// How long the first-run request may take in all. A server or proxy that
// accepts the connection and never answers would otherwise keep the program
// waiting, and alive after its window has closed, for ever.
inline constexpr std::chrono::milliseconds kFirstRunTimeout{60000};

// Fetches the news-check file from the second web server, through the proxy
// when one is in use, and discards the reply. Returns false on any failure,
// including a request still unfinished after `timeout`, and reports nothing.
// Blocks the caller but keeps the thread's event loop running (a
// QCoreApplication or QApplication must exist); call it from the
// user-interface thread.
bool SendFirstRunRequestWithin(const TProxyConfig& proxy, std::chrono::milliseconds timeout);

// The same with kFirstRunTimeout; the form the main window is given.
bool SendFirstRunRequest(const TProxyConfig& proxy);

}  // namespace qv
