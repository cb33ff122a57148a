// The one request the program makes at its first run.
#pragma once

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

// Fetches the news-check file from the second web server, through the proxy
// when one is in use, and discards the reply. Returns false on any failure
// and reports nothing. Blocks the caller but keeps the thread's event loop
// running (a QCoreApplication or QApplication must exist); call it from the
// user-interface thread.
bool SendFirstRunRequest(const TProxyConfig& proxy);

}  // namespace qv
