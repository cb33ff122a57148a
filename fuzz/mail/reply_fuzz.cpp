// Fuzz target for the SMTP client's reading of replies: any bytes as all that
// a server sends on one connection, handed over in pieces of a size the
// input chooses, while the client greets (HELO, or EHLO with its
// extensions), perhaps starts TLS and logs in, delivers one message to three
// recipients, pipelined when offered, and quits. TLS is simulated: the
// stream goes on in plain bytes and only reports a session.
//
// Beyond the sanitizers' checks it holds the client to its promises: a
// failure reaches the caller only as one of the ENetException family; a
// failed greeting, or any socket failure, leaves the client disconnected;
// and nothing but whole CR LF lines goes to the server.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "mail/net_errors.h"
#include "mail/smtp_client.h"
#include "support/fuzz_support.h"

namespace {

// The server's side of the connection: what it sends comes from the input;
// what the client writes is kept for the checks.
struct TServer {
    std::string_view Replies;
    std::size_t Piece = 1;
    std::string Written;
    bool Open = false;
};

class TFuzzStream : public qv::INetStream {
  public:
    // `plain`, when given, is the stream this one runs a session over.
    TFuzzStream(TServer& server, std::unique_ptr<qv::INetStream> plain = nullptr)
        : server_(server), plain_(std::move(plain)) {}
    ~TFuzzStream() override { Close(); }

    void Write(std::string_view data, qv::TNetTimeout) override {
        QV_FUZZ_CHECK(server_.Open);
        server_.Written += data;
    }

    std::size_t Read(std::span<char> into, qv::TNetTimeout) override {
        QV_FUZZ_CHECK(server_.Open && !into.empty());
        if (server_.Replies.empty()) {
            throw qv::ENetSocketError(10054);  // the server hung up
        }
        const std::size_t n = std::min({into.size(), server_.Piece, server_.Replies.size()});
        std::copy_n(server_.Replies.data(), n, into.data());
        server_.Replies.remove_prefix(n);
        return n;
    }

    void Close() noexcept override { server_.Open = false; }

    const qv::TTlsInfo* Tls() const noexcept override { return plain_ ? &kSession : nullptr; }

  private:
    static inline const qv::TTlsInfo kSession{"TLSv1.3", "TLS_AES_256_GCM_SHA384", "CN=mail",
                                              "CN=test"};
    TServer& server_;
    std::unique_ptr<qv::INetStream> plain_;
};

class TFuzzConnector : public qv::INetConnector {
  public:
    explicit TFuzzConnector(TServer& server) : server_(server) {}

    std::unique_ptr<qv::INetStream> Open(const std::string&, int,
                                         const qv::TConnectOptions&) override {
        QV_FUZZ_CHECK(!server_.Open);
        server_.Open = true;
        return std::make_unique<TFuzzStream>(server_);
    }

    std::unique_ptr<qv::INetStream> StartTls(std::unique_ptr<qv::INetStream> plain,
                                             const std::string&,
                                             const qv::TNetTlsOptions&) override {
        QV_FUZZ_CHECK(plain != nullptr && server_.Open && plain->Tls() == nullptr);
        return std::make_unique<TFuzzStream>(server_, std::move(plain));
    }

  private:
    TServer& server_;
};

qv::TMailMessage Message() {
    qv::TMailMessage message;
    message.SetFrom("Jane Doe <jane@example.org>");
    message.SetSubject("Hearing on the budget");
    message.SetToo({"Senator One <one@senate.example>"});
    message.SetBCCList({"two@senate.example", "three@senate.example (Senator Three)"});
    message.SetText("Dear Senators,\r\n.\r\nRegards");
    message.SetUseNowForDate(false);
    return message;
}

}  // namespace

// The first byte sets the size of the pieces the server's bytes arrive in,
// the second the client's buffer step, the third the session's security
// and whether it logs in; the rest is what the server sends.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::fuzz::TInputReader input(data, size);
    TServer server;
    server.Piece = 1 + input.Byte() % 64;
    const int bufferChunk = 1 + input.Byte() % 32;
    const std::uint8_t session = input.Byte();
    server.Replies = input.Rest();

    auto connector = std::make_shared<TFuzzConnector>(server);
    {
        qv::TSmtpClient client(connector);
        qv::TSmtpAccount account;
        account.Host = "mail.example.org";
        account.Security = static_cast<qv::TSmtpSecurity>(session % 4);
        if (session & 4) {
            account.User = "jane";
            account.Password = "secret";
        }
        client.SetAccount(account);
        client.SetBufferChunk(bufferChunk);
        bool greeted = false;
        try {
            client.Connect();
            greeted = true;
            QV_FUZZ_CHECK(!client.ReplyLines().empty());
            qv::TMailMessage message = Message();
            client.Send(message);
            client.Disconnect();
        } catch (const qv::ENetSocketError&) {
            QV_FUZZ_CHECK(!client.Connected());
        } catch (const qv::ENetException&) {
            QV_FUZZ_CHECK(greeted || !client.Connected());
        }
        QV_FUZZ_CHECK(client.ReceiveBufferSize() <= 2 * 1024 * 1024);
    }
    QV_FUZZ_CHECK(!server.Open);
    QV_FUZZ_CHECK(server.Written.empty() || server.Written.ends_with("\r\n"));
    return 0;
}
