// Fetch's outcome as a value, for comparing failures in one expectation.
#pragma once

#include <string>
#include <utility>

#include "update/http_client.h"

namespace qvtest {

// The raised EHttpException's code and text, or 0 and "" when Fetch succeeds.
inline std::pair<int, std::string> FetchResult(qv::THttpClient& client) {
    try {
        client.Fetch();
    } catch (const qv::EHttpException& e) {
        return {e.ErrorCode(), e.what()};
    }
    return {0, ""};
}

}  // namespace qvtest
