#include "mail/tls_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>

#include "mail/net_errors.h"

namespace qv {

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kPeerClosed = 10054;

struct TSslContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct TSslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};
struct TBioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct TX509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

TNetTimeout Remaining(TClock::time_point deadline) {
    auto left = std::chrono::duration_cast<TNetTimeout>(deadline - TClock::now());
    return std::max(left, TNetTimeout::zero());
}

// The reason text of the most recent error on this thread's OpenSSL queue.
std::string QueuedReason(const char* fallback) {
    unsigned long code = ERR_peek_last_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return reason != nullptr ? reason : fallback;
}

std::string NameText(const X509_NAME* name) {
    std::unique_ptr<BIO, TBioFree> out(BIO_new(BIO_s_mem()));
    if (!out || name == nullptr ||
        X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) < 0) {
        return {};
    }
    char* data = nullptr;
    long size = BIO_get_mem_data(out.get(), &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

bool IsAddress(const std::string& host) {
    in6_addr any{};
    return ::inet_pton(AF_INET, host.c_str(), &any) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &any) == 1;
}

// The TLS engine works on two memory buffers: what it wants sent collects in
// FToPeer and goes out through the plain stream after every call; what the
// plain stream delivers is put into FFromPeer when the engine asks for more.
// So waits, time-outs and cancelling stay those of the plain stream.
class TTlsStream : public INetStream {
  public:
    TTlsStream(std::unique_ptr<INetStream> plain, std::string host)
        : FPlain(std::move(plain)), FHost(std::move(host)) {}

    ~TTlsStream() override { Close(); }

    void Negotiate(const TTlsOptions& options) {
        FContext.reset(SSL_CTX_new(TLS_client_method()));
        if (!FContext) {
            throw ETlsError(FHost, QueuedReason("the TLS library cannot be set up"));
        }
        SSL_CTX_set_min_proto_version(FContext.get(), TLS1_2_VERSION);
        SSL_CTX_set_verify(FContext.get(), SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(FContext.get());
        if (!options.CaFile.empty() &&
            SSL_CTX_load_verify_locations(FContext.get(), options.CaFile.c_str(), nullptr) != 1) {
            throw ETlsCaFileError(options.CaFile);
        }

        FSsl.reset(SSL_new(FContext.get()));
        BIO* fromPeer = BIO_new(BIO_s_mem());
        BIO* toPeer = BIO_new(BIO_s_mem());
        if (!FSsl || fromPeer == nullptr || toPeer == nullptr) {
            BIO_free(fromPeer);
            BIO_free(toPeer);
            throw ETlsError(FHost, QueuedReason("the TLS library cannot be set up"));
        }
        // An empty input buffer means "wait for more", not end of stream.
        BIO_set_mem_eof_return(fromPeer, -1);
        SSL_set_bio(FSsl.get(), fromPeer, toPeer);
        FFromPeer = fromPeer;
        FToPeer = toPeer;

        if (IsAddress(FHost)) {
            X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(FSsl.get()), FHost.c_str());
        } else {
            SSL_set_hostflags(FSsl.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            SSL_set1_host(FSsl.get(), FHost.c_str());
            SSL_set_tlsext_host_name(FSsl.get(), FHost.c_str());
        }
        SSL_set_connect_state(FSsl.get());

        auto deadline = TClock::now() + options.Timeout;
        Drive([this](std::size_t&) { return SSL_do_handshake(FSsl.get()); }, deadline, true);
        FNegotiated = true;

        FInfo.Version = SSL_get_version(FSsl.get());
        FInfo.Cipher = SSL_get_cipher_name(FSsl.get());
        std::unique_ptr<X509, TX509Free> certificate(SSL_get1_peer_certificate(FSsl.get()));
        if (certificate) {
            FInfo.CertificateSubject = NameText(X509_get_subject_name(certificate.get()));
            FInfo.CertificateIssuer = NameText(X509_get_issuer_name(certificate.get()));
        }
    }

    void Write(std::string_view data, TNetTimeout timeout) override {
        auto deadline = TClock::now() + timeout;
        while (!data.empty()) {
            std::size_t chunk = std::min<std::size_t>(data.size(), INT_MAX);
            std::size_t written = Drive(
                [&](std::size_t& done) {
                    return SSL_write_ex(FSsl.get(), data.data(), chunk, &done);
                },
                deadline, false);
            data.remove_prefix(written);
        }
    }

    std::size_t Read(std::span<char> into, TNetTimeout timeout) override {
        auto deadline = TClock::now() + timeout;
        return Drive(
            [&](std::size_t& done) {
                return SSL_read_ex(FSsl.get(), into.data(), into.size(), &done);
            },
            deadline, false);
    }

    void Close() noexcept override {
        if (!FPlain) {
            return;
        }
        if (FNegotiated) {
            // The closing alert goes out only if the socket takes it at once.
            ERR_clear_error();
            SSL_shutdown(FSsl.get());
            try {
                SendOutput(TClock::now());
            } catch (...) {
                // The connection ends either way.
            }
        }
        FPlain->Close();
        FPlain.reset();
    }

    const TTlsInfo* Tls() const noexcept override { return &FInfo; }

  private:
    // Repeats one engine call until it completes, moving bytes between the
    // memory buffers and the plain stream; returns the call's byte count.
    template <class Call>
    std::size_t Drive(Call call, TClock::time_point deadline, bool negotiating) {
        if (!FPlain) {
            throw ENetClosedSocket();
        }
        for (;;) {
            ERR_clear_error();
            std::size_t done = 0;
            int rc = call(done);
            int error = rc > 0 ? SSL_ERROR_NONE : SSL_get_error(FSsl.get(), rc);
            switch (error) {
                case SSL_ERROR_NONE:
                    SendOutput(deadline);
                    return done;
                case SSL_ERROR_WANT_READ:
                    SendOutput(deadline);
                    ReceiveInput(deadline);
                    break;
                case SSL_ERROR_WANT_WRITE:
                    SendOutput(deadline);
                    break;
                case SSL_ERROR_ZERO_RETURN:
                    throw ENetSocketError(kPeerClosed);
                default:
                    Fail(negotiating, deadline);
            }
        }
    }

    [[noreturn]] void Fail(bool negotiating, TClock::time_point deadline) {
        // The engine's alert tells the server why; nothing else goes out.
        std::string reason = QueuedReason(negotiating ? "the server broke off the negotiation"
                                                      : "the encrypted stream broke off");
        try {
            SendOutput(deadline);
        } catch (...) {
            // The failure below is the one worth reporting.
        }
        long verified = SSL_get_verify_result(FSsl.get());
        if (negotiating && verified != X509_V_OK) {
            throw ETlsCertificateError(FHost, X509_verify_cert_error_string(verified));
        }
        throw ETlsError(FHost, reason);
    }

    void SendOutput(TClock::time_point deadline) {
        std::array<char, 16384> buffer;
        while (BIO_ctrl_pending(FToPeer) > 0) {
            int got = BIO_read(FToPeer, buffer.data(), static_cast<int>(buffer.size()));
            if (got <= 0) {
                return;
            }
            FPlain->Write({buffer.data(), static_cast<std::size_t>(got)}, Remaining(deadline));
        }
    }

    void ReceiveInput(TClock::time_point deadline) {
        std::array<char, 16384> buffer;
        std::size_t got = FPlain->Read(buffer, Remaining(deadline));
        BIO_write(FFromPeer, buffer.data(), static_cast<int>(got));
    }

    std::unique_ptr<INetStream> FPlain;
    std::string FHost;
    std::unique_ptr<SSL_CTX, TSslContextFree> FContext;
    std::unique_ptr<SSL, TSslFree> FSsl;
    BIO* FFromPeer = nullptr;  // owned by FSsl
    BIO* FToPeer = nullptr;    // owned by FSsl
    bool FNegotiated = false;
    TTlsInfo FInfo;
};

}  // namespace

std::unique_ptr<INetStream> NegotiateTls(std::unique_ptr<INetStream> plain,
                                         const std::string& host, const TTlsOptions& options) {
    auto stream = std::make_unique<TTlsStream>(std::move(plain), host);
    stream->Negotiate(options);
    return stream;
}

}  // namespace qv
