// Fuzz target for SplitUrl: any bytes as an address (a request's, a proxy's
// or a redirect's Location value).
//
// Beyond the sanitizers' checks it holds the split to its shape: every part
// is a piece of the address, the scheme is what stands before the first
// "://", the path is empty or starts with "/", and no part before the path
// holds a "/".
#include <cstdint>
#include <string>

#include "support/fuzz_support.h"
#include "update/split_url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const qv::TUrlParts parts = qv::SplitUrl(url);
    for (const std::string* part :
         {&parts.User, &parts.Password, &parts.Host, &parts.Port, &parts.Path}) {
        QV_FUZZ_CHECK(url.find(*part) != std::string::npos);
    }
    for (const std::string* part : {&parts.User, &parts.Password, &parts.Host, &parts.Port}) {
        QV_FUZZ_CHECK(part->find('/') == std::string::npos);
    }
    QV_FUZZ_CHECK(parts.Port.find(':') == std::string::npos);
    QV_FUZZ_CHECK(parts.Path.empty() || parts.Path.front() == '/');
    if (const std::size_t sep = url.find("://"); sep != std::string::npos) {
        QV_FUZZ_CHECK(parts.Scheme == url.substr(0, sep));
    }
    return 0;
}
