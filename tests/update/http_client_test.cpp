// THttpClient driven through a scripted fake socket: the exact request bytes,
// header parsing, redirects, failures and the request's states.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTimer>
#include <optional>
#include <sstream>

#include "support/fetch_result.h"
#include "update/http_client.h"
#include "update/split_url.h"

namespace qv {
namespace {

// Answers like a server would: lookup and connect succeed (unless told
// otherwise) and, once the request is sent, the scripted response arrives and
// the server closes. Every event is posted, as the real socket does.
class FakeSocket : public QObject, public IEventSocket {
  public:
    TSocketEvents events;
    std::string lookupHost, connectAddress, connectPort, sent;
    std::string response;
    std::string incoming;
    bool holdLookup = false;
    bool lookupCancelled = false;
    int lookupError = 0;
    int connectResult = 0;
    int connectError = 0;
    bool open = false;
    int closeCount = 0;

    void SetEvents(TSocketEvents e) override { events = std::move(e); }
    void StartLookup(const std::string& host) override {
        lookupHost = host;
        if (!holdLookup) {
            Post([this] { events.LookupDone(lookupError); });
        }
    }
    void CancelLookup() override { lookupCancelled = true; }
    std::string LookupResult() const override { return "127.0.0.9"; }
    int Connect(const std::string& address, const std::string& port) override {
        connectAddress = address;
        connectPort = port;
        if (connectResult != 0) {
            return connectResult;
        }
        open = true;
        Post([this] { events.Connected(connectError); });
        return 0;
    }
    int Send(const char* data, std::size_t len) override {
        sent.append(data, len);
        Post([this] {
            incoming += response;
            events.DataAvailable();
            if (open) {
                open = false;
                events.Closed(0);
            }
        });
        return 0;
    }
    std::size_t Receive(char* buffer, std::size_t max) override {
        std::size_t n = std::min(max, incoming.size());
        incoming.copy(buffer, n);
        incoming.erase(0, n);
        return n;
    }
    void Close() override {
        if (open) {
            open = false;
            ++closeCount;
            Post([this] { events.Closed(0); });
        }
    }
    bool IsOpen() const override { return open; }

  private:
    void Post(std::function<void()> event) {
        QTimer::singleShot(0, this, [this, event] {
            if (events.LookupDone) {
                event();
            }
        });
    }
};

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

constexpr const char* kOk =
    "HTTP/1.0 200 OK\r\nContent-Type: Text/Plain\r\nContent-Length: 5\r\n\r\nhello";

class HttpClientTest : public ::testing::Test {
  protected:
    // Every socket the client asks for answers with the next scripted response.
    std::vector<std::string> responses;
    std::vector<FakeSocket*> sockets;
    std::function<void(FakeSocket&)> prepare;
    std::ostringstream body;
    THttpClient client{
        nullptr, [this](const std::string&) {
            auto socket = std::make_unique<FakeSocket>();
            socket->response =
                responses.empty() ? "" : responses[std::min(sockets.size(), responses.size() - 1)];
            if (prepare) {
                prepare(*socket);
            }
            sockets.push_back(socket.get());
            return socket;
        }};

    void SetUp() override {
        client.URL = "http://quorvane.org/qndata/qndates2.dat";
        client.ResponseStream = &body;
    }
    FakeSocket& Last() { return *sockets.back(); }
    static void Spin() {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::processEvents();
        }
    }
    std::pair<int, std::string> FetchResult() { return qvtest::FetchResult(client); }
};

TEST_F(HttpClientTest, DirectGetSendsRequestLineAcceptAgentAndHostOnly) {
    responses = {kOk};
    client.Fetch();
    EXPECT_EQ(Last().sent,
              "GET /qndata/qndates2.dat HTTP/1.0\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible)\r\n"
              "Host: quorvane.org\r\n"
              "\r\n");
    EXPECT_EQ(Last().lookupHost, "quorvane.org");
    EXPECT_EQ(Last().connectAddress, "127.0.0.9");
    EXPECT_EQ(Last().connectPort, "80");
    EXPECT_EQ(body.str(), "hello");
    EXPECT_EQ(client.ResponseStatus(), 200);
    EXPECT_EQ(client.ResponseReason(), "OK");
    EXPECT_EQ(client.ContentSize(), 5);
    EXPECT_EQ(client.ReceivedBytes(), 5);
    EXPECT_EQ(client.ContentType(), "text/plain");
    EXPECT_EQ(client.RcvdHeader().size(), 3u);
}

TEST_F(HttpClientTest, OptionalLinesComeInTheirOrderAndRangeIsClearedOnceSent) {
    responses = {kOk};
    client.URL = "http://ann:pw@quorvane.org:8080/x";
    client.Proxy = "cache.quorvane.org";
    client.ProxyUsername = "bob";
    client.ProxyPassword = "pass";
    client.Sender = "me@quorvane.org";
    client.Reference = "http://www.quorvane.org/";
    client.NoCache = true;
    client.ModifiedSince = QDateTime(QDate(2026, 3, 2), QTime(8, 5, 9));
    client.Cookie = "a=1";
    client.ContentRangeBegin = "100";
    client.Fetch();
    EXPECT_EQ(Last().sent,
              "GET http://quorvane.org:8080/x HTTP/1.0\r\n"
              "From: me@quorvane.org\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "Referer: http://www.quorvane.org/\r\n"
              "User-Agent: Mozilla/3.0 (compatible)\r\n"
              "Host: quorvane.org\r\n"
              "Pragma: no-cache\r\n"
              "If-Modified-Since: Mon, 02 Mar 2026 08:05:09 GMT\r\n"
              "Authorization: Basic YW5uOnB3\r\n"
              "Proxy-Authorization: Basic Ym9iOnBhc3M=\r\n"
              "Cookie: a=1\r\n"
              "Range: bytes=100-\r\n"
              "\r\n");
    EXPECT_EQ(client.Username, "ann");
    EXPECT_EQ(client.ContentRangeBegin, "");
    EXPECT_EQ(Last().lookupHost, "cache.quorvane.org");
    EXPECT_EQ(Last().connectPort, "80");
}

TEST_F(HttpClientTest, OnCommandSeesAndMayRewriteEveryLineOfTheHeadUpToTheBlankOne) {
    responses = {kOk};
    client.Accept.clear();
    std::vector<std::string> seen;
    client.OnCommand = [&](THttpClient&, std::string& line) {
        seen.push_back(line);
        if (line.rfind("User-Agent:", 0) == 0) {
            line = "User-Agent: qv";
        }
    };
    client.Fetch();
    EXPECT_EQ(seen, (std::vector<std::string>{"GET /qndata/qndates2.dat HTTP/1.0",
                                              "User-Agent: Mozilla/3.0 (compatible)",
                                              "Host: quorvane.org", ""}));
    EXPECT_EQ(Last().sent,
              "GET /qndata/qndates2.dat HTTP/1.0\r\n"
              "User-Agent: qv\r\n"
              "Host: quorvane.org\r\n"
              "\r\n");
}

TEST_F(HttpClientTest, PostSendsContentTypeLengthAndData) {
    responses = {kOk};
    std::istringstream data("a=1&b=2");
    client.SendStream = &data;
    client.Post();
    while (client.HttpState() != THttpState::Ready) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(Last().sent,
              "POST /qndata/qndates2.dat HTTP/1.0\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "User-Agent: Mozilla/3.0 (compatible)\r\n"
              "Host: quorvane.org\r\n"
              "Content-Length: 7\r\n"
              "\r\n"
              "a=1&b=2");
    client.SendStream = nullptr;
    try {
        client.Post();
        FAIL() << "posted nothing";
    } catch (const EHttpException& e) {
        EXPECT_EQ(e.ErrorCode(), kHttpNothingToPost);
        EXPECT_STREQ(e.what(), "HTTP component has nothing to post");
    }
}

TEST_F(HttpClientTest, ProxyWithItsOwnPortIgnoresProxyPortAndNeedsAUserForCredentials) {
    responses = {kOk};
    client.Proxy = "cache.quorvane.org:3128";
    client.ProxyPort = "8080";
    client.ProxyPassword = "unused";
    client.Fetch();
    EXPECT_EQ(Last().connectPort, "3128");
    EXPECT_EQ(Last().sent.rfind("GET http://quorvane.org/qndata/qndates2.dat HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(Last().sent.find("Proxy-Authorization"), std::string::npos);

    client.Proxy = "cache.quorvane.org";
    client.Fetch();
    EXPECT_EQ(Last().connectPort, "8080");
}

TEST(SplitUrlTest, SplitsEveryFormTheClientMeets) {
    struct Case {
        const char* url;
        TUrlParts parts;
    };
    const Case cases[] = {
        {"http://quorvane.org/qndata/a.dat", {"http", "", "", "quorvane.org", "", "/qndata/a.dat"}},
        {"http://ann:pw@host:81/p?q", {"http", "ann", "pw", "host", "81", "/p?q"}},
        {"http://ann@host", {"http", "ann", "", "host", "", ""}},
        {"http://host:8080", {"http", "", "", "host", "8080", ""}},
        {"/only/a/path", {"http", "", "", "", "", "/only/a/path"}},
        {"MailTo:someone@quorvane.org", {"mailto", "someone", "", "quorvane.org", "", ""}},
        {"cache.quorvane.org:3128", {"", "", "", "cache.quorvane.org", "3128", ""}},
        {"cache", {"", "", "", "cache", "", ""}},
        {"u:p@proxy", {"", "u", "p", "proxy", "", ""}},
    };
    for (const Case& c : cases) {
        TUrlParts p = SplitUrl(c.url);
        EXPECT_EQ(std::tie(p.Scheme, p.User, p.Password, p.Host, p.Port, p.Path),
                  std::tie(c.parts.Scheme, c.parts.User, c.parts.Password, c.parts.Host,
                           c.parts.Port, c.parts.Path))
            << c.url;
    }
}

TEST_F(HttpClientTest, HeaderlessHtmlInAnyCaseIsTheWholeBody) {
    for (std::string page : {"<HtMl><body>one piece, no line break</body></html>",
                             "<html>\r\n<body>\r\nlines</body>\n</HTML>\r\n"}) {
        responses = {page};
        body.str("");
        client.Fetch();
        EXPECT_EQ(body.str(), page);
        EXPECT_EQ(client.ContentType(), "text/html");
        EXPECT_EQ(client.ContentSize(), -1);
    }
}

TEST_F(HttpClientTest, BodyArrivesInBlocksOfTheBufferSizeAndFollowsTheHeaderInOneRead) {
    std::string data(20000, 'x');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    responses = {"HTTP/1.1 200 OK\r\n\r\n" + data};
    std::vector<std::size_t> blocks;
    client.OnDocData = [&](THttpClient&, const char*, std::size_t len) { blocks.push_back(len); };
    client.Fetch();
    EXPECT_EQ(body.str(), data);
    EXPECT_EQ(client.ContentSize(), -1);
    for (std::size_t len : blocks) {
        EXPECT_LE(len, kReceiveBufferSize);
    }
    EXPECT_GE(blocks.size(), 3u);
}

TEST_F(HttpClientTest, ErrorStatusClosesAtOnceAndFetchRaisesTheServersReason) {
    responses = {"HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html>gone</html>"};
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Not Found")));
    EXPECT_EQ(Last().closeCount, 1);
    EXPECT_EQ(client.RcvdHeader().size(), 1u);
    EXPECT_EQ(body.str(), "");
}

TEST_F(HttpClientTest, MalformedResponsesFailWithClearReasons) {
    const std::pair<std::string, std::pair<int, std::string>> cases[] = {
        {"HTTP/1.0 2x0 OK\r\n\r\nbody", {404, "Bad HTTP status line"}},
        {"HTTP/1.0 20\r\n\r\nbody", {404, "Bad HTTP status line"}},
        {"HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\nbody", {404, "Bad Content-Length"}},
        {"HTTP/1.0 200 OK\r\nX-Long: " + std::string(9000, 'a') + "\r\n\r\n",
         {4, "HTTP line too long"}},
        {"", {404, "Connection closed without a response"}},
        {"HTTP/1.0 200 OK\r\n" + Repeat("X-Filler: " + std::string(7000, 'f') + "\r\n", 40),
         {404, "HTTP header too long"}},
    };
    for (const auto& [response, expected] : cases) {
        responses = {response};
        EXPECT_EQ(FetchResult(), expected) << response.substr(0, 40);
    }
}

TEST_F(HttpClientTest, HeaderFieldsAreRecorded) {
    responses = {
        "HTTP/1.0 206 Partial\r\nContent-Range: bytes 100-199/5000\r\nAccept-Ranges: bytes\r\n"
        "WWW-Authenticate: Basic realm=x\r\nSet-Cookie: id=7\r\n\r\n"};
    std::string cookie;
    client.OnCookie = [&](THttpClient&, const std::string& data, bool&) { cookie = data; };
    client.Fetch();
    EXPECT_EQ(client.ContentRangeBegin, "100");
    EXPECT_EQ(client.ContentRangeEnd, "199");
    EXPECT_EQ(client.AcceptRanges(), "bytes");
    EXPECT_EQ(client.AuthChallenges(), std::vector<std::string>{"Basic realm=x"});
    EXPECT_EQ(cookie, "id=7");
}

TEST_F(HttpClientTest, RedirectsGoToTheNewHostAndPortOrKeepThemForAPath) {
    responses = {"HTTP/1.0 302 Found\r\nLocation: http://mirror.quorvane.org:8081/a.dat\r\n\r\n",
                 "HTTP/1.0 302 Found\r\nLocation: /b.dat\r\n\r\n", kOk};
    std::vector<std::string> locations;
    client.OnLocationChange = [&](THttpClient& c) { locations.push_back(c.Location()); };
    client.Fetch();
    ASSERT_EQ(sockets.size(), 3u);
    EXPECT_EQ(Last().lookupHost, "mirror.quorvane.org");
    EXPECT_EQ(Last().connectPort, "8081");
    EXPECT_EQ(Last().sent.substr(0, Last().sent.find("\r\n")), "GET /b.dat HTTP/1.0");
    EXPECT_EQ(locations, (std::vector<std::string>{"http://mirror.quorvane.org:8081/a.dat",
                                                   "http://mirror.quorvane.org:8081/b.dat"}));
    EXPECT_EQ(body.str(), "hello");

    responses = {"HTTP/1.0 302 Found\r\nLocation: http://quorvane.org/c.dat\r\n\r\n", kOk};
    sockets.clear();
    client.URL = "http://mirror.quorvane.org:8081/a.dat";
    client.Fetch();
    EXPECT_EQ(Last().connectPort, "80");
}

TEST_F(HttpClientTest, RedirectThroughAProxyKeepsTheAbsoluteAddressWithItsPort) {
    client.URL = "http://quorvane.org:8080/a.dat";
    client.Proxy = "cache.quorvane.org:3128";
    responses = {"HTTP/1.0 301 Moved\r\nLocation: /b.dat\r\n\r\n", kOk};
    client.Fetch();
    EXPECT_EQ(Last().connectPort, "3128");
    EXPECT_EQ(Last().sent.substr(0, Last().sent.find("\r\n")),
              "GET http://quorvane.org:8080/b.dat HTTP/1.0");
}

TEST_F(HttpClientTest, RedirectsStopAfterTheLimit) {
    responses = {"HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n"};
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Too many redirects")));
    EXPECT_EQ(sockets.size(), static_cast<std::size_t>(kMaxRedirects + 1));
}

TEST_F(HttpClientTest, LineBreaksNeverReachTheRequest) {
    client.Agent = "x\r\nX-Evil: 1";
    EXPECT_THROW(client.Get(), EHttpException);
    EXPECT_EQ(client.HttpState(), THttpState::Ready);
    client.Agent = "ok";

    client.OnCommand = [](THttpClient&, std::string& line) {
        if (line.rfind("Host:", 0) == 0) {
            line += "\nX-Evil: 1";
        }
    };
    responses = {kOk};
    EXPECT_EQ(FetchResult(),
              std::make_pair(kHttpLineBreakInRequest, std::string(kHttpLineBreakText)));
    EXPECT_EQ(Last().sent, "");
    client.OnCommand = nullptr;

    sockets.clear();
    responses = {"HTTP/1.0 302 Found\r\nLocation: /a\rX-Evil: 1\r\n\r\n", kOk};
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Bad redirect location")));
    EXPECT_EQ(sockets.size(), 1u);
}

TEST_F(HttpClientTest, ConnectionFailuresGiveStatus404WithTheSocketErrorText) {
    // OnRequestDone reports the socket error of each failure.
    int doneError = -1;
    client.OnRequestDone = [&](THttpClient&, THttpRequest, int error) { doneError = error; };
    prepare = [](FakeSocket& s) { s.lookupError = 11001; };
    EXPECT_EQ(FetchResult(),
              std::make_pair(404, std::string("can't resolve hostname to IP address")));
    Spin();
    EXPECT_EQ(doneError, 11001);
    prepare = [](FakeSocket& s) { s.connectResult = 10022; };
    EXPECT_EQ(FetchResult(),
              std::make_pair(404, std::string("can't connect: Invalid argument (Error #10022)")));
    Spin();
    EXPECT_EQ(doneError, 10022);
    prepare = [](FakeSocket& s) { s.connectError = 10061; };
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Connection refused (Error #10061)")));
    Spin();
    EXPECT_EQ(doneError, 10061);
    EXPECT_EQ(HttpSocketErrorText(0), "No Error");
    EXPECT_EQ(HttpSocketErrorText(10058), "Can't send after socket shutdown");
    EXPECT_EQ(HttpSocketErrorText(11004), "No Data");
    EXPECT_EQ(HttpSocketErrorText(10000), "Not a WinSock error");
}

TEST_F(HttpClientTest, StatesRunInOrderAndReadyReportsRequestDone) {
    responses = {kOk};
    std::vector<THttpState> states;
    std::vector<int> done;
    client.OnStateChange = [&](THttpClient& c) { states.push_back(c.HttpState()); };
    client.OnRequestDone = [&](THttpClient&, THttpRequest type, int error) {
        EXPECT_EQ(type, THttpRequest::Get);
        done.push_back(error);
    };
    client.Fetch();
    Spin();
    using S = THttpState;
    EXPECT_EQ(states, (std::vector<S>{S::NotConnected, S::Resolving, S::Resolved, S::Established,
                                      S::AwaitingHeader, S::AwaitingBody, S::Ready}));
    EXPECT_EQ(done, std::vector<int>{0});
}

TEST_F(HttpClientTest, AbortDuringLookupCancelsItAndFetchRaises) {
    prepare = [](FakeSocket& s) { s.holdLookup = true; };
    int doneError = -1;
    client.OnRequestDone = [&](THttpClient&, THttpRequest, int error) { doneError = error; };
    QTimer::singleShot(0, [this] { client.AbortRequest(); });
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Connection aborted on request")));
    EXPECT_TRUE(Last().lookupCancelled);
    EXPECT_EQ(client.HttpState(), THttpState::Ready);
    Spin();
    EXPECT_EQ(doneError, kHttpAbortedError);
    client.AbortRequest();  // idle: nothing happens

    prepare = nullptr;
    responses = {kOk};
    body.str("");
    client.Fetch();
    EXPECT_EQ(body.str(), "hello");
}

TEST_F(HttpClientTest, HandlersMayAbortOrRestartTheRequestAtAnyEvent) {
    responses = {kOk};
    int done = 0;
    client.OnRequestDone = [&](THttpClient&, THttpRequest, int) { ++done; };
    // Waits a bounded time, so that a request left hanging fails the test.
    auto runGet = [&] {
        done = 0;
        body.str("");
        client.Get();
        for (int i = 0; i < 100 && client.HttpState() != THttpState::Ready; ++i) {
            QCoreApplication::processEvents();
        }
        Spin();
        return client.HttpState() == THttpState::Ready;
    };

    // Aborted as the connection comes up: nothing is sent, one request done.
    client.OnSessionConnected = [](THttpClient& c) { c.AbortRequest(); };
    ASSERT_TRUE(runGet());
    EXPECT_EQ(Last().sent, "");
    EXPECT_EQ(done, 1);
    EXPECT_EQ(client.ResponseReason(), "Connection aborted on request");

    // Aborted and started again as the connection comes up, or at the first
    // header line with the rest of the head still in the buffer: the new
    // request runs to its end.
    int restarts = 0;
    auto restartOnce = [&](THttpClient& c) {
        if (restarts++ == 0) {
            c.AbortRequest();
            c.Get();
        }
    };
    client.OnSessionConnected = restartOnce;
    ASSERT_TRUE(runGet());
    EXPECT_EQ(body.str(), "hello");
    client.OnSessionConnected = nullptr;
    restarts = 0;
    client.OnHeaderData = restartOnce;
    ASSERT_TRUE(runGet());
    EXPECT_EQ(body.str(), "hello");
    EXPECT_EQ(client.ResponseStatus(), 200);
    client.OnHeaderData = nullptr;

    // Aborted as the document begins: nothing is written or reported, and an
    // abort from OnDocEnd ends nothing twice.
    int docData = 0, docEnd = 0;
    client.OnDocBegin = [](THttpClient& c) { c.AbortRequest(); };
    client.OnDocData = [&](THttpClient&, const char*, std::size_t) { ++docData; };
    client.OnDocEnd = [&](THttpClient& c) {
        ++docEnd;
        c.AbortRequest();
    };
    ASSERT_TRUE(runGet());
    EXPECT_EQ(body.str(), "");
    EXPECT_EQ(client.ReceivedBytes(), 0);
    EXPECT_EQ(docData, 0);
    EXPECT_EQ(docEnd, 1);
    EXPECT_EQ(done, 1);
}

TEST_F(HttpClientTest, StartingWhileBusyRaises) {
    prepare = [](FakeSocket& s) { s.holdLookup = true; };
    client.Get();
    try {
        client.Get();
        FAIL() << "second request started";
    } catch (const EHttpException& e) {
        EXPECT_EQ(e.ErrorCode(), kHttpBusy);
        EXPECT_STREQ(e.what(), "HTTP component is busy");
    }
    client.AbortRequest();
}

TEST_F(HttpClientTest, AFailingResponseStreamFailsTheRequest) {
    responses = {kOk};
    body.setstate(std::ios::badbit);
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Can't write the document")));
}

}  // namespace
}  // namespace qv
