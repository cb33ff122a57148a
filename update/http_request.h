// The HTTP/1.0 wire text of THttpClient, as pure functions: the lines of a
// request head built from the request's fields, and one received header
// line taken apart. No state and no I/O, so they are tested by tables and
// can be fed arbitrary bytes.
#pragma once

#include <QDateTime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

enum class THttpRequest { Get = 1, Post = 2, Head = 3 };

// What one request head says. Empty texts leave their lines out.
struct THttpRequestHead {
    THttpRequest Type = THttpRequest::Get;
    std::string Path;  // the absolute address when sent to a proxy
    std::string Host;
    std::string Sender, Accept, Reference, Agent, Cookie;
    std::string ContentType;        // POST only
    std::size_t ContentLength = 0;  // POST only
    bool NoCache = false;
    QDateTime ModifiedSince;         // sent when valid, as given (no time zone conversion)
    std::string Username, Password;  // basic authorization when Username is set
    bool ThroughProxy = false;
    std::string ProxyUsername, ProxyPassword;  // only through a proxy
    std::string RangeBegin, RangeEnd;          // a Range line when either is set
};

// The head's lines without line ends, in the order servers have always
// seen them, ending with the blank line that ends the head.
std::vector<std::string> BuildRequestLines(const THttpRequestHead& head);

// The head of a CONNECT request asking a proxy for a tunnel to `authority`
// ("host:port"), with the proxy's Basic credentials when `proxyUsername` is
// set: its lines without line ends, ending with the blank line.
std::vector<std::string> BuildConnectLines(const std::string& authority, const std::string& agent,
                                           const std::string& proxyUsername,
                                           const std::string& proxyPassword);

// "Sun, 06 Nov 1994 08:49:37 GMT" for the date and time as given.
std::string HttpDate(const QDateTime& when);

// One line of a response head (line end removed), taken apart.
struct THttpHeaderLine {
    enum class TKind {
        End,        // the blank line that ends the head
        HtmlStart,  // "<html>" (any case) where a head was expected: the body begins here
        Status,     // "HTTP/1.0 200 OK" or "HTTP/1.1 ..."
        BadStatus,  // starts like a status line, but its code is not three digits
        Field,      // "Name: value"
        Other,      // anything else, kept but not understood
    };
    TKind Kind = TKind::Other;
    int Status = 0;      // Status
    std::string Reason;  // Status: the text after the code
    std::string Name;    // Field: in lower case
    std::string Value;   // Field: after the colon and the spaces that follow it
};

THttpHeaderLine ParseHeaderLine(std::string_view line);

// A Content-Length value: decimal digits (at most 18), blanks after them
// allowed; nullopt otherwise.
std::optional<long long> ParseContentLength(std::string_view value);

// A Content-Range value "bytes FIRST-LAST/TOTAL" as the texts FIRST and LAST
// (LAST runs to the "/" or the end); nullopt without a "-" after the unit.
std::optional<std::pair<std::string, std::string>> ParseContentRange(std::string_view value);

}  // namespace qv
