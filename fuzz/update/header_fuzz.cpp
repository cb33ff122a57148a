// Fuzz target for the HTTP client's reading of a response head: any bytes
// cut into lines at LF (a CR before it dropped) as the client cuts them, each
// line taken apart, and the values of Content-Length and Content-Range read.
//
// Beyond the sanitizers' checks it holds the parser to its promises: a
// status line gives a three-digit code, a field's name is in lower case
// without its colon and its value starts after the blanks, and the values
// read are non-negative or pieces of the line.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/fuzz_support.h"
#include "update/http_request.h"

namespace {

using qv::THttpHeaderLine;
using TKind = THttpHeaderLine::TKind;

bool HasUpperCase(std::string_view text) {
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') {
            return true;
        }
    }
    return false;
}

void CheckLine(std::string_view line) {
    const THttpHeaderLine parsed = qv::ParseHeaderLine(line);
    switch (parsed.Kind) {
        case TKind::End:
            QV_FUZZ_CHECK(line.empty());
            break;
        case TKind::Status:
            QV_FUZZ_CHECK(line.starts_with("HTTP/1."));
            QV_FUZZ_CHECK(parsed.Status >= 0 && parsed.Status <= 999);
            QV_FUZZ_CHECK(line.ends_with(parsed.Reason));
            break;
        case TKind::Field: {
            QV_FUZZ_CHECK(parsed.Name.find(':') == std::string::npos);
            QV_FUZZ_CHECK(!HasUpperCase(parsed.Name));
            QV_FUZZ_CHECK(parsed.Value.empty() || parsed.Value.front() != ' ');
            QV_FUZZ_CHECK(line.ends_with(parsed.Value));
            if (const auto length = qv::ParseContentLength(parsed.Value)) {
                QV_FUZZ_CHECK(*length >= 0);
            }
            if (const auto range = qv::ParseContentRange(parsed.Value)) {
                QV_FUZZ_CHECK(parsed.Value.find(range->first) != std::string::npos);
                QV_FUZZ_CHECK(parsed.Value.find(range->second) != std::string::npos);
            }
            break;
        }
        case TKind::HtmlStart:
        case TKind::BadStatus:
        case TKind::Other:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        CheckLine(line);
    }
    return 0;
}
