// Fuzz target for the HTTP client's handling of a response: any bytes as all
// that the server (and, on redirects, the next servers) send, arriving in
// pieces of a size the input chooses, while THttpClient runs one GET to the
// end, directly or through a proxy, over http or https. TLS is simulated:
// the connection goes on in plain bytes once it reports itself encrypted.
// The client's event loop is run by hand until the request reports its end.
//
// Beyond the sanitizers' checks it holds the client to its promises: every
// request ends, exactly once, and the client is then ready again; the body
// handed over is no larger than what the server sent and is what
// ReceivedBytes counts; the head it keeps stays within its bound.
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "support/fuzz_support.h"
#include "update/http_client.h"

namespace {

// What the servers send, shared by the connections of one request.
struct TServer {
    std::string_view Bytes;
    std::size_t Piece = 1;
    std::size_t Total = 0;
};

class TFuzzSocket : public QObject, public qv::IEventSocket {
  public:
    explicit TFuzzSocket(TServer& server) : server_(server) {}

    void SetEvents(qv::TSocketEvents events) override { events_ = std::move(events); }
    void StartLookup(const std::string&) override {
        Post([this] { Fire(events_.LookupDone, 0); });
    }
    void CancelLookup() override {}
    std::string LookupResult() const override { return "127.0.0.9"; }
    int Connect(const std::string&, const std::string&) override {
        open_ = true;
        Post([this] { Fire(events_.Connected, 0); });
        return 0;
    }
    // The first thing the client sends sets the server talking.
    int Send(const char*, std::size_t) override {
        if (!talking_) {
            talking_ = true;
            Post([this] { Arrive(); });
        }
        return 0;
    }
    std::size_t Receive(char* buffer, std::size_t max) override {
        const std::size_t n = std::min(max, waiting_.size());
        std::copy_n(waiting_.data(), n, buffer);
        waiting_.remove_prefix(n);
        return n;
    }
    void Close() override {
        if (open_) {
            open_ = false;
            Post([this] { Fire(events_.Closed, 0); });
        }
    }
    bool IsOpen() const override { return open_; }
    int StartEncryption(const std::string&) override {
        Post([this] { Fire(events_.Encrypted, 0); });
        return 0;
    }

  private:
    // The next piece of the server's bytes, then the next, until the server
    // has said all and closes.
    void Arrive() {
        if (!open_) {
            return;
        }
        if (server_.Bytes.empty()) {
            open_ = false;
            Fire(events_.Closed, 0);
            return;
        }
        const std::size_t n = std::min(server_.Piece, server_.Bytes.size());
        waiting_ = server_.Bytes.substr(0, n);
        server_.Bytes.remove_prefix(n);
        if (events_.DataAvailable) {
            events_.DataAvailable();
        }
        Post([this] { Arrive(); });
    }

    template <typename F, typename... A>
    static void Fire(const F& event, A... args) {
        if (event) {
            event(args...);
        }
    }

    void Post(std::function<void()> event) { QTimer::singleShot(0, this, std::move(event)); }

    TServer& server_;
    qv::TSocketEvents events_;
    std::string_view waiting_;
    bool open_ = false;
    bool talking_ = false;
};

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "update_response_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

}  // namespace

// The first byte chooses http or https, a proxy or none, and the size of the
// pieces the bytes arrive in; the rest is what the servers send.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Application();
    qv::fuzz::TInputReader input(data, size);
    const std::uint8_t choice = input.Byte();
    TServer server;
    server.Bytes = input.Rest();
    server.Total = server.Bytes.size();
    server.Piece = 1 + (choice >> 2) * 97;

    std::ostringstream body;
    int done = 0;
    {
        qv::THttpClient client(nullptr, [&server](const std::string&) {
            return std::make_unique<TFuzzSocket>(server);
        });
        client.URL = (choice & 1) ? "https://updates.example.org/qndata/qndates2.dat"
                                  : "http://updates.example.org/qndata/qndates2.dat";
        if (choice & 2) {
            client.Proxy = "proxy.example.org:3128";
        }
        client.ResponseStream = &body;
        client.OnRequestDone = [&done](qv::THttpClient&, qv::THttpRequest, int) { ++done; };
        client.Get();
        // Every step of a request is one event; a request that is still
        // running after this many has stopped making progress.
        for (int events = 0; done == 0 && events < 100000; ++events) {
            QCoreApplication::processEvents();
        }
        QV_FUZZ_CHECK(done == 1);
        QCoreApplication::processEvents();
        QV_FUZZ_CHECK(done == 1 && client.HttpState() == qv::THttpState::Ready);
        QV_FUZZ_CHECK(static_cast<std::size_t>(client.ReceivedBytes()) == body.str().size());
        QV_FUZZ_CHECK(body.str().size() <= server.Total);
        std::size_t head = 0;
        for (const std::string& line : client.RcvdHeader()) {
            head += line.size();
        }
        QV_FUZZ_CHECK(head <= qv::kMaxHeaderSize + qv::kReceiveBufferSize);
    }
    // The client's deferred steps for a request that ended are dropped here.
    QCoreApplication::processEvents();
    return 0;
}
