// What one fill of a web form left in it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qv::webforms {

struct TFillResult {
    // Every form field of the page, in document order, by its name (its id
    // when it has no name), with the value it holds after the fill: a
    // select's selected option value, a group of radio buttons or check
    // boxes the values of its checked members joined by ",". Buttons are
    // left out; hidden fields keep the page's value. When several fields
    // that are no such group share a name, the second is "NAME#2", and so on.
    std::vector<std::pair<std::string, std::string>> Fields;
    // The fields the fill put a value into (or found still holding the value
    // an earlier fill of the same page put there), by the same keys.
    std::vector<std::string> Filled;
    // Required fields, visible and enabled, that are still empty: the ones
    // the user has to complete (topic choices, CAPTCHAs, details the
    // contact record lacks).
    std::vector<std::string> UnfilledRequired;

    bool operator==(const TFillResult&) const = default;
};

// The result as one JSON object on one line:
// {"fields": {"NAME": "VALUE", ...}, "unfilled_required": ["NAME", ...]}
// Texts are UTF-8; quotes, backslashes and control characters are escaped.
std::string FillResultJson(const TFillResult& result);

// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace qv::webforms
