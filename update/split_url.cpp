#include "update/split_url.h"

#include <algorithm>
#include <cctype>

namespace qv {

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

TUrlParts SplitUrl(const std::string& url) {
    TUrlParts parts;
    std::string rest;
    if (auto sep = url.find("://"); sep != std::string::npos) {
        parts.Scheme = url.substr(0, sep);
        rest = url.substr(sep + 3);
    } else if (url.size() >= 1 && url[0] == '/' && (url.size() < 2 || url[1] != '/')) {
        parts.Scheme = "http";
        parts.Path = url;
        return parts;
    } else if (StartsWithNoCase(url, "mailto:")) {
        parts.Scheme = "mailto";
        rest = url.substr(url.find(':') + 1);
    } else {
        rest = url;
    }

    auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    if (slash != std::string::npos) {
        parts.Path = rest.substr(slash);
    }

    auto colon = authority.rfind(':');
    auto at = authority.rfind('@');
    if (colon == std::string::npos && at == std::string::npos) {
        parts.Host = authority;
        return parts;
    }
    if (colon != std::string::npos && (at == std::string::npos || colon > at)) {
        parts.Port = authority.substr(colon + 1);
        auto hostBegin = at == std::string::npos ? 0 : at + 1;
        parts.Host = authority.substr(hostBegin, colon - hostBegin);
        if (at == std::string::npos) {
            return parts;
        }
    } else {
        parts.Host = authority.substr(at + 1);
    }
    std::string userInfo = authority.substr(0, at);
    auto userColon = userInfo.find(':');
    parts.User = userInfo.substr(0, userColon);
    if (userColon != std::string::npos) {
        parts.Password = userInfo.substr(userColon + 1);
    }
    return parts;
}

}  // namespace qv
