// The one request the program makes at its first run.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace qv {

class THttpClient;

// The proxy part of the connection settings, as the first-run request needs it.
struct TProxyConfig {
    bool UseProxy;
    std::string Host;
    int Port;
    bool UseAuthorization;
    std::string User, Password;
};

// How long the first-run request may take in all. A server or proxy that
// accepts the connection and never answers would otherwise leave the request
// open for ever.
inline constexpr std::chrono::milliseconds kFirstRunTimeout{60000};

// Starts the first-run request on `client` and returns at once: a GET of the
// news-check file from the second web server, through the proxy when one is
// in use, whose reply is discarded as it arrives. `done` is called once, from
// the event loop, with whether the reply arrived within `timeout`; it is
// called before this returns when the request cannot start. Destroying the
// client drops the request without calling `done`; aborting it gives false.
// The client is set up for this request (its address, proxy, response
// stream and OnRequestDone) and should serve nothing else. Call it on the
// client's thread, which runs a Qt event loop.
void SendFirstRunRequest(THttpClient& client, const TProxyConfig& proxy,
                         std::function<void(bool sent)> done,
                         std::chrono::milliseconds timeout = kFirstRunTimeout);

}  // namespace qv
