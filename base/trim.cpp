#include "base/trim.h"

namespace qv {

namespace {

template <typename Strip>
std::string_view TrimWhere(std::string_view text, Strip strip) {
    while (!text.empty() && strip(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && strip(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::string_view TrimSpacesAndTabs(std::string_view text) {
    return TrimWhere(text, [](char c) { return c == ' ' || c == '\t'; });
}

std::string_view TrimSpacesTabsAndLineBreaks(std::string_view text) {
    return TrimWhere(text, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

std::string_view TrimSpaces(std::string_view text) {
    return TrimWhere(text, [](char c) { return c == ' '; });
}

std::string_view TrimControlsAndSpaces(std::string_view text) {
    return TrimWhere(text, [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

}  // namespace qv
