#include "webforms/fill_result.h"

#include <cstdio>

namespace qv::webforms {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string FillResultJson(const TFillResult& result) {
    std::string json = "{\"fields\": {";
    const char* separator = "";
    for (const auto& [name, value] : result.Fields) {
        json += separator + JsonString(name) + ": " + JsonString(value);
        separator = ", ";
    }
    json += "}, \"unfilled_required\": [";
    separator = "";
    for (const std::string& name : result.UnfilledRequired) {
        json += separator + JsonString(name);
        separator = ", ";
    }
    return json + "]}";
}

}  // namespace qv::webforms
