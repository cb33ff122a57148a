// A scripted stand-in for the SMTP client's socket: records every byte the
// client writes and answers with scripted replies, or, in answering mode,
// with the replies a willing SMTP server would give. StartTls leaves the bytes
// as they are and marks the point in the written bytes with "<TLS host>".
#pragma once

#include <algorithm>
#include <deque>
#include <exception>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mail/net_errors.h"
#include "mail/net_stream.h"

namespace qv::test {

inline constexpr const char* kTimeoutReply = "<time-out>";

struct FakeNet {
    std::string written;                          // every byte written, in order
    std::vector<std::string> writes;              // the data of each Write call
    std::deque<std::string> replies;              // what each Read hands back, in order
    std::deque<std::exception_ptr> openFailures;  // raised by the next Opens
    std::exception_ptr tlsFailure;                // raised by StartTls when set
    int opens = 0;
    bool open = false;
    TConnectOptions lastOptions;
    TNetTlsOptions lastTlsOptions;

    // Answering mode: replies are made from the commands written.
    bool answer = false;
    std::set<std::string> refused;  // RCPT addresses answered with 550
    bool inData = false;
    std::string partial;

    void Script(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            replies.push_back(line == std::string(kTimeoutReply) ? line
                                                                 : std::string(line) + "\r\n");
        }
    }

    void Answer(const std::string& line) {
        if (inData) {
            if (line == ".") {
                inData = false;
                replies.push_back("250 Queued\r\n");
            }
            return;
        }
        if (line.starts_with("RCPT to:<")) {
            std::string address = line.substr(9, line.size() - 10);
            replies.push_back(refused.count(address) ? "550 5.1.1 <" + address + ">: refused\r\n"
                                                     : "250 OK\r\n");
        } else if (line == "Data") {
            inData = true;
            replies.push_back("354 Go ahead\r\n");
        } else if (line != "Quit") {
            replies.push_back("250 OK\r\n");
        }
    }

    void Written(std::string_view data) {
        written += data;
        writes.emplace_back(data);
        if (!answer) {
            return;
        }
        partial += data;
        for (std::size_t end; (end = partial.find("\r\n")) != std::string::npos;) {
            Answer(partial.substr(0, end));
            partial.erase(0, end + 2);
        }
    }
};

class FakeStream : public INetStream {
  public:
    explicit FakeStream(std::shared_ptr<FakeNet> net) : net_(std::move(net)) {}
    ~FakeStream() override { Close(); }

    void Write(std::string_view data, TNetTimeout) override {
        if (!net_->open) {
            throw ENetSocketError(10054);
        }
        net_->Written(data);
    }

    std::size_t Read(std::span<char> into, TNetTimeout) override {
        if (net_->replies.empty()) {
            throw ENetSocketError(10054);
        }
        std::string& next = net_->replies.front();
        if (next == kTimeoutReply) {
            net_->replies.pop_front();
            throw ENetSocketError(10060);
        }
        std::size_t n = std::min(into.size(), next.size());
        std::copy_n(next.data(), n, into.data());
        next.erase(0, n);
        if (next.empty()) {
            net_->replies.pop_front();
        }
        return n;
    }

    void Close() noexcept override { net_->open = false; }

  private:
    std::shared_ptr<FakeNet> net_;
};

class FakeTlsStream : public INetStream {
  public:
    explicit FakeTlsStream(std::unique_ptr<INetStream> plain) : plain_(std::move(plain)) {}
    void Write(std::string_view data, TNetTimeout timeout) override {
        plain_->Write(data, timeout);
    }
    std::size_t Read(std::span<char> into, TNetTimeout timeout) override {
        return plain_->Read(into, timeout);
    }
    void Close() noexcept override { plain_->Close(); }
    const TTlsInfo* Tls() const noexcept override { return &info_; }

  private:
    std::unique_ptr<INetStream> plain_;
    TTlsInfo info_{"TLSv1.3", "TLS_AES_128_GCM_SHA256", "CN=fake", "CN=fake"};
};

class FakeConnector : public INetConnector {
  public:
    explicit FakeConnector(std::shared_ptr<FakeNet> net) : net_(std::move(net)) {}

    std::unique_ptr<INetStream> Open(const std::string&, int,
                                     const TConnectOptions& options) override {
        ++net_->opens;
        net_->lastOptions = options;
        if (!net_->openFailures.empty()) {
            std::exception_ptr failure = net_->openFailures.front();
            net_->openFailures.pop_front();
            std::rethrow_exception(failure);
        }
        net_->open = true;
        if (net_->answer) {
            net_->replies.assign(1, "220 fake ready\r\n");
            net_->inData = false;
            net_->partial.clear();
        }
        return std::make_unique<FakeStream>(net_);
    }

    std::unique_ptr<INetStream> StartTls(std::unique_ptr<INetStream> plain,
                                         const std::string& host,
                                         const TNetTlsOptions& options) override {
        net_->written += "<TLS " + host + ">";
        net_->lastTlsOptions = options;
        if (net_->tlsFailure) {
            plain.reset();
            std::rethrow_exception(net_->tlsFailure);
        }
        return std::make_unique<FakeTlsStream>(std::move(plain));
    }

  private:
    std::shared_ptr<FakeNet> net_;
};

}  // namespace qv::test
