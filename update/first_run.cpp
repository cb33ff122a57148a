#include "update/first_run.h"

#include <sstream>

#include "update/http_client.h"
#include "update/servers.h"

namespace qv {

bool SendFirstRunRequest(const TProxyConfig& proxy) {
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
    try {
        client.Fetch();
    } catch (const EHttpException&) {
        return false;
    }
    return true;
}

}  // namespace qv
