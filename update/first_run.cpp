#include "update/first_run.h"

#include <QTimer>
#include <sstream>

#include "update/http_client.h"
#include "update/servers.h"

namespace qv {

bool SendFirstRunRequestWithin(const TProxyConfig& proxy, std::chrono::milliseconds timeout) {
    THttpClient client;
    client.URL = std::string("http://") + servers::kSecondHost + servers::kFirstRunPath;
    if (proxy.UseProxy) {
        client.Proxy = proxy.Host;
        client.ProxyPort = std::to_string(proxy.Port);
        if (proxy.UseAuthorization) {
            client.ProxyUsername = proxy.User;
            client.ProxyPassword = proxy.Password;
        }
    }
    std::ostringstream reply;
    client.ResponseStream = &reply;
    bool timedOut = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
        timedOut = true;
        client.AbortRequest();
    });
    limit.start(timeout);
    try {
        client.Fetch();
    } catch (const EHttpException&) {
        return false;
    }
    return !timedOut;
}

bool SendFirstRunRequest(const TProxyConfig& proxy) {
    return SendFirstRunRequestWithin(proxy, kFirstRunTimeout);
}

}  // namespace qv
