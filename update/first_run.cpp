#include "update/first_run.h"

#include <QTimer>
#include <utility>

#include "update/http_client.h"
#include "update/servers.h"

namespace qv {

void SendFirstRunRequest(THttpClient& client, const TProxyConfig& proxy,
                         std::function<void(bool sent)> done, std::chrono::milliseconds timeout) {
    client.URL = std::string("http://") + servers::kSecondHost + servers::kFirstRunPath;
    client.Proxy.clear();
    client.ProxyUsername.clear();
    client.ProxyPassword.clear();
    if (proxy.UseProxy) {
        client.Proxy = proxy.Host;
        client.ProxyPort = std::to_string(proxy.Port);
        if (proxy.UseAuthorization) {
            client.ProxyUsername = proxy.User;
            client.ProxyPassword = proxy.Password;
        }
    }
    client.ResponseStream = nullptr;  // the body is of no use: drop each block as it comes

    // The limit belongs to the client, so that it goes with a dropped request.
    auto* limit = new QTimer(&client);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, &client, [&client] { client.AbortRequest(); });
    client.OnRequestDone = [limit, done](THttpClient& sender, THttpRequest, int) {
        limit->stop();
        limit->deleteLater();
        // Every failure, the time limit's abort included, ends with a status of 400 or more.
        done(sender.ResponseStatus() < 400);
    };
    try {
        client.Get();
    } catch (const EHttpException&) {
        delete limit;
        done(false);
        return;
    }
    limit->start(timeout);
}

}  // namespace qv
