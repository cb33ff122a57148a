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
// toPeer_ and goes out through the plain stream after every call; what the
// plain stream delivers is put into fromPeer_ when the engine asks for more.
// So waits, time-outs and cancelling stay those of the plain stream.
class TTlsStream : public INetStream {
  public:
    TTlsStream(std::unique_ptr<INetStream> plain, std::string host)
        : plain_(std::move(plain)), host_(std::move(host)) {}

    ~TTlsStream() override { Close(); }

    void Negotiate(const TNetTlsOptions& options) {
        context_.reset(SSL_CTX_new(TLS_client_method()));
        if (!context_) {
            throw ETlsError(host_, QueuedReason("the TLS library cannot be set up"));
        }
        SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION);
        SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(context_.get());
        if (!options.CaFile.empty() &&
            SSL_CTX_load_verify_locations(context_.get(), options.CaFile.c_str(), nullptr) != 1) {
            throw ETlsCaFileError(options.CaFile);
        }

        ssl_.reset(SSL_new(context_.get()));
        BIO* fromPeer = BIO_new(BIO_s_mem());
        BIO* toPeer = BIO_new(BIO_s_mem());
        if (!ssl_ || fromPeer == nullptr || toPeer == nullptr) {
            BIO_free(fromPeer);
            BIO_free(toPeer);
            throw ETlsError(host_, QueuedReason("the TLS library cannot be set up"));
        }
        // An empty input buffer means "wait for more", not end of stream.
        BIO_set_mem_eof_return(fromPeer, -1);
        SSL_set_bio(ssl_.get(), fromPeer, toPeer);
        fromPeer_ = fromPeer;
        toPeer_ = toPeer;

        if (IsAddress(host_)) {
            X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_.get()), host_.c_str());
        } else {
            SSL_set_hostflags(ssl_.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            SSL_set1_host(ssl_.get(), host_.c_str());
            SSL_set_tlsext_host_name(ssl_.get(), host_.c_str());
        }
        SSL_set_connect_state(ssl_.get());

        auto deadline = TClock::now() + options.Timeout;
        Drive([this](std::size_t&) { return SSL_do_handshake(ssl_.get()); }, deadline, true);
        negotiated_ = true;

        info_.Version = SSL_get_version(ssl_.get());
        info_.Cipher = SSL_get_cipher_name(ssl_.get());
        std::unique_ptr<X509, TX509Free> certificate(SSL_get1_peer_certificate(ssl_.get()));
        if (certificate) {
            info_.CertificateSubject = NameText(X509_get_subject_name(certificate.get()));
            info_.CertificateIssuer = NameText(X509_get_issuer_name(certificate.get()));
        }
    }

    void Write(std::string_view data, TNetTimeout timeout) override {
        auto deadline = TClock::now() + timeout;
        while (!data.empty()) {
            std::size_t chunk = std::min<std::size_t>(data.size(), INT_MAX);
            std::size_t written = Drive(
                [&](std::size_t& done) {
                    return SSL_write_ex(ssl_.get(), data.data(), chunk, &done);
                },
                deadline, false);
            data.remove_prefix(written);
        }
    }

    std::size_t Read(std::span<char> into, TNetTimeout timeout) override {
        auto deadline = TClock::now() + timeout;
        return Drive(
            [&](std::size_t& done) {
                return SSL_read_ex(ssl_.get(), into.data(), into.size(), &done);
            },
            deadline, false);
    }

    void Close() noexcept override {
        if (!plain_) {
            return;
        }
        if (negotiated_) {
            // The closing alert goes out only if the socket takes it at once.
            ERR_clear_error();
            SSL_shutdown(ssl_.get());
            try {
                SendOutput(TClock::now());
            } catch (...) {
                // The connection ends either way.
            }
        }
        plain_->Close();
        plain_.reset();
    }

    const TTlsInfo* Tls() const noexcept override { return &info_; }

  private:
    // Repeats one engine call until it completes, moving bytes between the
    // memory buffers and the plain stream; returns the call's byte count.
    template <class Call>
    std::size_t Drive(Call call, TClock::time_point deadline, bool negotiating) {
        if (!plain_) {
            throw ENetClosedSocket();
        }
        for (;;) {
            ERR_clear_error();
            std::size_t done = 0;
            int rc = call(done);
            int error = rc > 0 ? SSL_ERROR_NONE : SSL_get_error(ssl_.get(), rc);
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
                    throw ENetSocketError(sockerr::kConnectionReset);
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
        long verified = SSL_get_verify_result(ssl_.get());
        if (negotiating && verified != X509_V_OK) {
            throw ETlsCertificateError(host_, X509_verify_cert_error_string(verified));
        }
        throw ETlsError(host_, reason);
    }

    void SendOutput(TClock::time_point deadline) {
        std::array<char, 16384> buffer;
        while (BIO_ctrl_pending(toPeer_) > 0) {
            int got = BIO_read(toPeer_, buffer.data(), static_cast<int>(buffer.size()));
            if (got <= 0) {
                return;
            }
            plain_->Write({buffer.data(), static_cast<std::size_t>(got)}, Remaining(deadline));
        }
    }

    void ReceiveInput(TClock::time_point deadline) {
        std::array<char, 16384> buffer;
        std::size_t got = plain_->Read(buffer, Remaining(deadline));
        BIO_write(fromPeer_, buffer.data(), static_cast<int>(got));
    }

    std::unique_ptr<INetStream> plain_;
    std::string host_;
    std::unique_ptr<SSL_CTX, TSslContextFree> context_;
    std::unique_ptr<SSL, TSslFree> ssl_;
    BIO* fromPeer_ = nullptr;  // owned by ssl_
    BIO* toPeer_ = nullptr;    // owned by ssl_
    bool negotiated_ = false;
    TTlsInfo info_;
};

}  // namespace

std::unique_ptr<INetStream> NegotiateTls(std::unique_ptr<INetStream> plain,
                                         const std::string& host, const TNetTlsOptions& options) {
    auto stream = std::make_unique<TTlsStream>(std::move(plain), host);
    stream->Negotiate(options);
    return stream;
}

}  // namespace qv
