// THttpClient over the real socket against Python's http.server and Debian's
// tinyproxy on loopback.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "support/fetch_result.h"
#include "support/http_test_servers.h"
#include "update/first_run.h"
#include "update/http_client.h"
#include "update/servers.h"

namespace qv {
namespace {

using qvtest::HttpTestServer;
using qvtest::TinyProxy;

class HttpIntegrationTest : public ::testing::Test {
  protected:
    QTemporaryDir root;
    std::ostringstream body;
    THttpClient client;

    void SetUp() override { client.ResponseStream = &body; }

    std::string WriteFile(const std::string& name, std::size_t size) {
        std::string path = root.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream out(path, std::ios::binary);
        std::string block(1 << 16, '\0');
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>((i * 131 + 7) % 251);
        }
        for (std::size_t left = size; left > 0;) {
            std::size_t n = std::min(left, block.size());
            out.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
        return path;
    }

    std::pair<int, std::string> FetchResult() { return qvtest::FetchResult(client); }
};

// Sends the first-run request on a client of its own and waits for its end.
bool SendFirstRunRequestAndWait(const TProxyConfig& proxy,
                                std::chrono::milliseconds timeout = kFirstRunTimeout) {
    THttpClient client;
    std::optional<bool> sent;
    QEventLoop loop;
    SendFirstRunRequest(
        client, proxy,
        [&](bool answered) {
            sent = answered;
            loop.quit();
        },
        timeout);
    if (!sent) {
        loop.exec();
    }
    return *sent;
}

bool SameFiles(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::string ba(1 << 16, '\0'), bb(1 << 16, '\0');
    while (fa && fb) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount() || ba.compare(0, fa.gcount(), bb, 0, fb.gcount()) != 0) {
            return false;
        }
    }
    return fa.eof() && fb.eof();
}

TEST_F(HttpIntegrationTest, SmallDocumentsArriveWhole) {
    WriteFile("empty.dat", 0);
    WriteFile("small.dat", 37);
    HttpTestServer server(root.path());
    client.URL = server.Url("/empty.dat");
    client.Fetch();
    EXPECT_EQ(client.ResponseStatus(), 200);
    EXPECT_EQ(client.ContentSize(), 0);
    EXPECT_EQ(body.str(), "");

    client.URL = server.Url("/small.dat");
    client.Fetch();
    EXPECT_EQ(client.ReceivedBytes(), 37);
    EXPECT_EQ(body.str().size(), 37u);
    EXPECT_EQ(body.str()[36], static_cast<char>((36 * 131 + 7) % 251));
}

TEST_F(HttpIntegrationTest, NamesAreLookedUpAndAnEmptyNameFails) {
    WriteFile("small.dat", 5);
    HttpTestServer server(root.path());
    client.URL = "http://localhost:" + std::to_string(server.Port()) + "/small.dat";
    client.Fetch();
    EXPECT_EQ(client.ReceivedBytes(), 5);

    client.URL = "http:///small.dat";
    EXPECT_EQ(FetchResult(),
              std::make_pair(404, std::string("can't resolve hostname to IP address")));
}

TEST_F(HttpIntegrationTest, LargeDocumentStreamsToTheFileInBlocks) {
    const std::size_t size = 20 * 1024 * 1024;
    std::string source = WriteFile("large.dat", size);
    HttpTestServer server(root.path());
    std::string target = root.filePath("copy.dat").toStdString();
    std::ofstream out(target, std::ios::binary);
    client.ResponseStream = &out;
    std::size_t largest = 0;
    client.OnDocData = [&](THttpClient&, const char*, std::size_t len) {
        largest = std::max(largest, len);
    };
    client.URL = server.Url("/large.dat");
    client.Fetch();
    out.close();
    EXPECT_EQ(client.ContentSize(), static_cast<long long>(size));
    EXPECT_EQ(client.ReceivedBytes(), static_cast<long long>(size));
    EXPECT_LE(largest, kReceiveBufferSize);
    EXPECT_TRUE(SameFiles(source, target));
}

TEST_F(HttpIntegrationTest, ServerAnswersAndMisbehaviours) {
    HttpTestServer server(root.path());
    client.URL = server.Url("/missing.dat");
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("File not found")));

    client.URL = server.Url("/no-length");
    EXPECT_EQ(FetchResult().first, 0);
    EXPECT_EQ(client.ContentSize(), -1);
    EXPECT_EQ(body.str().size(), 15000u);

    body.str("");
    client.URL = server.Url("/headerless");
    client.Fetch();
    EXPECT_EQ(body.str(), "<HtMl><body>no header</body></html>");
    EXPECT_EQ(client.ContentType(), "text/html");

    client.URL = server.Url("/too-long");
    EXPECT_EQ(FetchResult(), std::make_pair(4, std::string("HTTP line too long")));
    client.URL = server.Url("/close");
    EXPECT_EQ(FetchResult(),
              std::make_pair(404, std::string("Connection closed without a response")));
}

TEST_F(HttpIntegrationTest, RedirectToAnotherPortAndNothingListening) {
    WriteFile("target.dat", 1000);
    HttpTestServer first(root.path());
    HttpTestServer second(root.path());
    client.URL = first.Url("/redirect?port=" + std::to_string(second.Port()) + "&path=/target.dat");
    client.Fetch();
    EXPECT_EQ(client.Location(), second.Url("/target.dat"));
    EXPECT_EQ(body.str().size(), 1000u);

    client.URL = "http://127.0.0.1:" + std::to_string(qvtest::FreeLoopbackPort()) + "/x";
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Connection refused (Error #10061)")));
}

TEST_F(HttpIntegrationTest, AbortDuringLookupAndDuringBody) {
    WriteFile("large.dat", 20 * 1024 * 1024);
    HttpTestServer server(root.path());
    client.URL = "http://localhost:" + std::to_string(server.Port()) + "/large.dat";
    client.Get();
    EXPECT_EQ(client.HttpState(), THttpState::Resolving);
    client.AbortRequest();
    EXPECT_EQ(client.HttpState(), THttpState::Ready);
    EXPECT_EQ(client.ResponseReason(), "Connection aborted on request");

    int blocks = 0;
    client.OnDocData = [&](THttpClient& c, const char*, std::size_t) {
        if (++blocks == 3) {
            c.AbortRequest();
        }
    };
    EXPECT_EQ(FetchResult(), std::make_pair(404, std::string("Connection aborted on request")));
    EXPECT_GT(client.ReceivedBytes(), 0);
    EXPECT_LT(client.ReceivedBytes(), 1024 * 1024);
    EXPECT_EQ(blocks, 3);
}

TEST_F(HttpIntegrationTest, ThroughTinyproxyWithCredentials) {
    WriteFile("hello.dat", 300);
    HttpTestServer server(root.path());
    TinyProxy proxy("alice", "secret");
    client.URL = server.Url("/hello.dat");
    client.Proxy = "127.0.0.1";
    client.ProxyPort = std::to_string(proxy.Port());
    client.ProxyUsername = "alice";
    client.ProxyPassword = "secret";
    client.Fetch();
    EXPECT_EQ(body.str().size(), 300u);

    // Without a user name no credentials go out and the proxy refuses.
    client.ProxyUsername.clear();
    EXPECT_EQ(FetchResult().first, 407);

    // A proxy value with its own port wins over ProxyPort.
    client.Proxy = "127.0.0.1:" + std::to_string(proxy.Port());
    client.ProxyPort = "1";
    client.ProxyUsername = "alice";
    body.str("");
    client.Fetch();
    EXPECT_EQ(body.str().size(), 300u);

    client.ProxyPassword = "wrong";
    int refused = FetchResult().first;
    EXPECT_TRUE(refused == 401 || refused == 407) << refused;
}

TEST_F(HttpIntegrationTest, FirstRunRequestGoesThroughTheProxyWithCredentialsOnlyWhenAuthorized) {
    HttpTestServer server(root.path());
    auto lastRequest = [&] {
        THttpClient reader;
        std::ostringstream head;
        reader.ResponseStream = &head;
        reader.URL = server.Url("/last-request");
        reader.Fetch();
        return head.str();
    };
    std::string url = std::string("http://") + servers::kSecondHost + servers::kFirstRunPath;

    EXPECT_TRUE(SendFirstRunRequestAndWait({true, "127.0.0.1", server.Port(), true, "u", "p"}));
    std::string head = lastRequest();
    EXPECT_EQ(head.rfind("GET " + url + " HTTP/1.0\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("Proxy-Authorization: Basic dTpw\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("User-Agent: Mozilla/3.0 (compatible)\r\n"), std::string::npos) << head;

    EXPECT_TRUE(SendFirstRunRequestAndWait({true, "127.0.0.1", server.Port(), false, "u", "p"}));
    EXPECT_EQ(lastRequest().find("Proxy-Authorization"), std::string::npos);

    EXPECT_FALSE(
        SendFirstRunRequestAndWait({true, "127.0.0.1", qvtest::FreeLoopbackPort(), false, "", ""}));
}

TEST_F(HttpIntegrationTest, FirstRunRequestGivesUpOnAProxyThatNeverAnswers) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    std::vector<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = silent.nextPendingConnection()) {
            held.push_back(socket);
        }
    });

    EXPECT_FALSE(SendFirstRunRequestAndWait({true, "127.0.0.1", silent.serverPort(), false, "", ""},
                                            std::chrono::milliseconds(300)));
    EXPECT_EQ(held.size(), 1u);
}

}  // namespace
}  // namespace qv
