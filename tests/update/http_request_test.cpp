// The request head builder and the header line parser, by tables: the edge
// cases; the usual heads and responses are checked in http_client_test.
#include "update/http_request.h"

#include <gtest/gtest.h>

#include <functional>

namespace qv {
namespace {

TEST(HttpRequestHead, ConnectAsksForATunnelWithTheProxysCredentialsOnly) {
    EXPECT_EQ(BuildConnectLines("h:443", "", "", "secret"),
              (std::vector<std::string>{"CONNECT h:443 HTTP/1.0", "Host: h:443", ""}));
    EXPECT_EQ(BuildConnectLines("h:8443", "a", "u", "p"),
              (std::vector<std::string>{"CONNECT h:8443 HTTP/1.0", "Host: h:8443", "User-Agent: a",
                                        "Proxy-Authorization: Basic dTpw", ""}));
}

struct TRequestRow {
    const char* name;
    std::function<void(THttpRequestHead&)> set;
    std::vector<std::string> lines;
};

TEST(HttpRequestHead, LinesFollowTheFieldsInTheirFixedOrder) {
    const TRequestRow rows[] = {
        {"head",
         [](THttpRequestHead& h) { h.Type = THttpRequest::Head; },
         {"HEAD / HTTP/1.0", "Host: h", ""}},
        {"empty post still says its length",
         [](THttpRequestHead& h) { h.Type = THttpRequest::Post; },
         {"POST / HTTP/1.0", "Host: h", "Content-Length: 0", ""}},
        {"a content type without a post is left out",
         [](THttpRequestHead& h) { h.ContentType = "text/plain"; },
         {"GET / HTTP/1.0", "Host: h", ""}},
        {"proxy credentials only through a proxy",
         [](THttpRequestHead& h) { h.ProxyUsername = "u"; },
         {"GET / HTTP/1.0", "Host: h", ""}},
        {"proxy credentials with an empty password",
         [](THttpRequestHead& h) {
             h.ThroughProxy = true;
             h.ProxyUsername = "u";
         },
         {"GET / HTTP/1.0", "Host: h", "Proxy-Authorization: Basic dTo=", ""}},
        {"a password alone sends no authorization",
         [](THttpRequestHead& h) { h.Password = "p"; },
         {"GET / HTTP/1.0", "Host: h", ""}},
        {"range end alone",
         [](THttpRequestHead& h) { h.RangeEnd = "99"; },
         {"GET / HTTP/1.0", "Host: h", "Range: bytes=-99", ""}},
        {"an invalid date sends no If-Modified-Since",
         [](THttpRequestHead& h) { h.ModifiedSince = QDateTime(QDate(2026, 2, 30), QTime()); },
         {"GET / HTTP/1.0", "Host: h", ""}},
        {"date of a single-digit day and a Sunday",
         [](THttpRequestHead& h) {
             h.ModifiedSince = QDateTime(QDate(1994, 11, 6), QTime(8, 49, 37));
         },
         {"GET / HTTP/1.0", "Host: h", "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT", ""}},
    };
    for (const TRequestRow& row : rows) {
        THttpRequestHead head;
        head.Path = "/";
        head.Host = "h";
        row.set(head);
        EXPECT_EQ(BuildRequestLines(head), row.lines) << row.name;
    }
}

TEST(HttpHeaderLine, EachKindOfLineIsTakenApart) {
    using K = THttpHeaderLine::TKind;
    struct TRow {
        std::string line;
        K kind;
        int status;
        std::string reason, name, value;
    };
    const TRow rows[] = {
        {"", K::End, 0, "", "", ""},
        {"HTTP/1.1 404 Not Found", K::Status, 404, "Not Found", "", ""},
        {"HTTP/1.0 302", K::Status, 302, "", "", ""},
        {"HTTP/1.0 200 ", K::Status, 200, "", "", ""},
        {"HTTP/1.0 2000 OK", K::BadStatus, 0, "", "", ""},
        {"HTTP/1.0", K::BadStatus, 0, "", "", ""},
        {"HTTP/2 200", K::Other, 0, "", "", ""},  // not HTTP/1.x
        {"<HTML><body>", K::HtmlStart, 0, "", "", ""},
        {"<html>", K::HtmlStart, 0, "", "", ""},
        {"<htm", K::Other, 0, "", "", ""},
        {"Content-Type:   Text/HTML", K::Field, 0, "", "content-type", "Text/HTML"},
        {"X-Tab:\tvalue ", K::Field, 0, "", "x-tab", "\tvalue "},
        {"Location: http://h:81/p", K::Field, 0, "", "location", "http://h:81/p"},
        {"Empty:", K::Field, 0, "", "empty", ""},
        {"Blank:   ", K::Field, 0, "", "blank", ""},
        {"no colon here", K::Other, 0, "", "", ""},
        {std::string("Bin\0ary: v", 10), K::Field, 0, "", std::string("bin\0ary", 7), "v"},
    };
    for (const TRow& row : rows) {
        const THttpHeaderLine parsed = ParseHeaderLine(row.line);
        SCOPED_TRACE(row.line);
        EXPECT_EQ(parsed.Kind, row.kind);
        EXPECT_EQ(parsed.Status, row.status);
        EXPECT_EQ(parsed.Reason, row.reason);
        EXPECT_EQ(parsed.Name, row.name);
        EXPECT_EQ(parsed.Value, row.value);
    }
}

TEST(HttpHeaderLine, ContentLengthAndRangeValues) {
    const std::pair<std::string, std::optional<long long>> lengths[] = {
        {"0", 0},
        {"1234", 1234},
        {"12 \t", 12},
        {"999999999999999999", 999999999999999999},
        {"1000000000000000000", std::nullopt},  // 19 digits
        {"", std::nullopt},
        {" 12", std::nullopt},
        {"-1", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& [value, expected] : lengths) {
        EXPECT_EQ(ParseContentLength(value), expected) << value;
    }
    using TRange = std::optional<std::pair<std::string, std::string>>;
    const std::pair<std::string, TRange> ranges[] = {
        {"bytes 100-/1000", std::make_pair("100", "")},
        {"bytes 0-5", std::make_pair("0", "5")},
        {"bytes -5/9", std::make_pair("", "5")},
        {"b 1-2/3", std::nullopt},
        {"bytes 100", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [value, expected] : ranges) {
        EXPECT_EQ(ParseContentRange(value), expected) << value;
    }
}

}  // namespace
}  // namespace qv
