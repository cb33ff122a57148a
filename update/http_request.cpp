#include "update/http_request.h"

#include <QByteArray>
#include <algorithm>
#include <cstdio>

namespace qv {

namespace {

bool IsDecimal(std::string_view text) {
    return !text.empty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

std::string Base64(const std::string& text) {
    return QByteArray::fromStdString(text).toBase64().toStdString();
}

}  // namespace

std::vector<std::string> BuildRequestLines(const THttpRequestHead& head) {
    const bool post = head.Type == THttpRequest::Post;
    const char* method = post ? "POST" : head.Type == THttpRequest::Head ? "HEAD" : "GET";
    std::vector<std::string> lines{std::string(method) + " " + head.Path + " HTTP/1.0"};
    auto add = [&lines](bool when, auto&& line) {
        if (when) {
            lines.push_back(line());
        }
    };
    add(!head.Sender.empty(), [&] { return "From: " + head.Sender; });
    add(!head.Accept.empty(), [&] { return "Accept: " + head.Accept; });
    add(!head.Reference.empty(), [&] { return "Referer: " + head.Reference; });
    add(post && !head.ContentType.empty(), [&] { return "Content-Type: " + head.ContentType; });
    add(!head.Agent.empty(), [&] { return "User-Agent: " + head.Agent; });
    add(true, [&] { return "Host: " + head.Host; });
    add(head.NoCache, [] { return std::string("Pragma: no-cache"); });
    add(post, [&] { return "Content-Length: " + std::to_string(head.ContentLength); });
    add(head.ModifiedSince.isValid(),
        [&] { return "If-Modified-Since: " + HttpDate(head.ModifiedSince); });
    add(!head.Username.empty(),
        [&] { return "Authorization: Basic " + Base64(head.Username + ":" + head.Password); });
    add(head.ThroughProxy && !head.ProxyUsername.empty(), [&] {
        return "Proxy-Authorization: Basic " +
               Base64(head.ProxyUsername + ":" + head.ProxyPassword);
    });
    add(!head.Cookie.empty(), [&] { return "Cookie: " + head.Cookie; });
    add(!head.RangeBegin.empty() || !head.RangeEnd.empty(),
        [&] { return "Range: bytes=" + head.RangeBegin + "-" + head.RangeEnd; });
    lines.emplace_back();
    return lines;
}

std::vector<std::string> BuildConnectLines(const std::string& authority, const std::string& agent,
                                           const std::string& proxyUsername,
                                           const std::string& proxyPassword) {
    std::vector<std::string> lines{"CONNECT " + authority + " HTTP/1.0", "Host: " + authority};
    if (!agent.empty()) {
        lines.push_back("User-Agent: " + agent);
    }
    if (!proxyUsername.empty()) {
        lines.push_back("Proxy-Authorization: Basic " +
                        Base64(proxyUsername + ":" + proxyPassword));
    }
    lines.emplace_back();
    return lines;
}

std::string HttpDate(const QDateTime& when) {
    static constexpr char kDays[] = "MonTueWedThuFriSatSun";
    static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const QDate date = when.date();
    const QTime time = when.time();
    const std::string month(kMonths + (date.month() - 1) * 3, 3);
    char text[64];
    std::snprintf(text, sizeof text, "%2.2d %s %4.4d %2.2d:%2.2d:%2.2d", date.day(), month.c_str(),
                  date.year(), time.hour(), time.minute(), time.second());
    return std::string(kDays + (date.dayOfWeek() - 1) * 3, 3) + ", " + text + " GMT";
}

THttpHeaderLine ParseHeaderLine(std::string_view line) {
    using TKind = THttpHeaderLine::TKind;
    THttpHeaderLine parsed;
    if (line.empty()) {
        parsed.Kind = TKind::End;
    } else if (Lower(line.substr(0, 6)) == "<html>") {
        parsed.Kind = TKind::HtmlStart;
    } else if (line.starts_with("HTTP/1.0") || line.starts_with("HTTP/1.1")) {
        // "HTTP/1.x NNN reason": the code sits at columns 9 to 11.
        const std::string_view code = line.size() >= 12 ? line.substr(9, 3) : "";
        if (IsDecimal(code) && (line.size() == 12 || line[12] == ' ')) {
            parsed.Kind = TKind::Status;
            parsed.Status = std::stoi(std::string(code));
            parsed.Reason = line.size() > 13 ? std::string(line.substr(13)) : "";
        } else {
            parsed.Kind = TKind::BadStatus;
        }
    } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
        parsed.Kind = TKind::Field;
        parsed.Name = Lower(line.substr(0, colon));
        const std::size_t value = line.find_first_not_of(' ', colon + 1);
        parsed.Value = value == std::string_view::npos ? "" : std::string(line.substr(value));
    }
    return parsed;
}

std::optional<long long> ParseContentLength(std::string_view value) {
    const std::string_view digits = value.substr(0, value.find_last_not_of(" \t") + 1);
    if (!IsDecimal(digits)) {
        return std::nullopt;
    }
    return std::stoll(std::string(digits));
}

std::optional<std::pair<std::string, std::string>> ParseContentRange(std::string_view value) {
    const std::size_t dash = value.find('-');
    // The range starts after "bytes " (six characters).
    if (dash == std::string_view::npos || dash < 6) {
        return std::nullopt;
    }
    const std::size_t slash = value.find('/', dash);
    return std::make_pair(
        std::string(value.substr(6, dash - 6)),
        std::string(value.substr(dash + 1, slash == std::string_view::npos ? std::string_view::npos
                                                                           : slash - dash - 1)));
}

}  // namespace qv
