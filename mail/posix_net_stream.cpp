#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "mail/net_errors.h"
#include "mail/net_stream.h"
#include "mail/tls_stream.h"

namespace qv {

namespace {

using TClock = std::chrono::steady_clock;

// Without a wake-up descriptor a cancel is noticed within this time.
constexpr TNetTimeout kCancelPollSlice{100};

[[noreturn]] void RaiseErrno() {
    throw ENetSocketError(WinsockCodeFromErrno(errno));
}

int PollMilliseconds(TClock::time_point deadline) {
    // Rounded up, so that a wait never ends just before its deadline.
    auto left = std::chrono::ceil<TNetTimeout>(deadline - TClock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

TClock::time_point DeadlineAfter(TNetTimeout timeout) {
    // Far time-outs stay far without overflowing the clock.
    return TClock::now() + std::min(timeout, TNetTimeout(std::chrono::hours(24 * 365)));
}

// Waits until fd is ready for events, raising ENetCancelled once cancel fires
// and error 10060 when the deadline passes. Cancelling wins over readiness,
// so a cancelled operation never makes progress.
void WaitFor(int fd, short events, TClock::time_point deadline, const TNetCancel* cancel) {
    pollfd entries[2] = {{fd, events, 0}, {-1, POLLIN, 0}};
    nfds_t count = 1;
    if (cancel != nullptr && cancel->WaitHandle() >= 0) {
        entries[1].fd = cancel->WaitHandle();
        count = 2;
    }
    for (;;) {
        if (cancel != nullptr && cancel->Cancelled()) {
            throw ENetCancelled();
        }
        int wait = PollMilliseconds(deadline);
        if (cancel != nullptr && count == 1) {
            wait = std::min(wait, static_cast<int>(kCancelPollSlice.count()));
        }
        int ready = ::poll(entries, count, wait);
        if (ready < 0) {
            if (errno != EINTR) {
                RaiseErrno();
            }
            continue;
        }
        if (count == 2 && entries[1].revents != 0) {
            throw ENetCancelled();
        }
        if (ready > 0) {
            return;
        }
        if (TClock::now() >= deadline) {
            throw ENetSocketError(sockerr::kTimedOut);
        }
    }
}

class TFd {
  public:
    explicit TFd(int fd) : fd_(fd) {}
    ~TFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// The socket stays non-blocking for its whole life: a blocking send() after
// poll() reported room could still wait for ever on a peer that stopped
// reading, because poll() promises only some free buffer space.
class TPosixStream : public INetStream {
  public:
    TPosixStream(int fd, std::shared_ptr<TNetCancel> cancel)
        : fd_(fd), cancel_(std::move(cancel)) {}
    ~TPosixStream() override { Close(); }

    void Write(std::string_view data, TNetTimeout timeout) override {
        auto deadline = DeadlineAfter(timeout);
        while (!data.empty()) {
            if (cancel_ && cancel_->Cancelled()) {
                throw ENetCancelled();
            }
            ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent >= 0) {
                data.remove_prefix(static_cast<std::size_t>(sent));
            } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                WaitFor(fd_, POLLOUT, deadline, cancel_.get());
            } else if (errno != EINTR) {
                RaiseErrno();
            }
        }
    }

    std::size_t Read(std::span<char> into, TNetTimeout timeout) override {
        auto deadline = DeadlineAfter(timeout);
        for (;;) {
            WaitFor(fd_, POLLIN, deadline, cancel_.get());
            ssize_t got = ::recv(fd_, into.data(), into.size(), 0);
            if (got > 0) {
                return static_cast<std::size_t>(got);
            }
            if (got == 0) {
                throw ENetSocketError(sockerr::kConnectionReset);
            }
            if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
                RaiseErrno();
            }
        }
    }

    void Close() noexcept override {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_;
    std::shared_ptr<TNetCancel> cancel_;
};

in_addr ResolveHost(const std::string& host) {
    in_addr address{};
    if (::strcasecmp(host.c_str(), "LOCALHOST") == 0) {
        address.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) {
        return address;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0) {
        throw ENetSocketError(WinsockCodeFromResolver(rc));
    }
    if (found == nullptr) {
        throw ENetSocketError(11004);
    }
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return address;
}

void ConnectWithTimeout(int fd, const sockaddr_in& target, const TConnectOptions& options) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return;
    }
    if (errno != EINPROGRESS) {
        RaiseErrno();
    }
    WaitFor(fd, POLLOUT, DeadlineAfter(options.Timeout), options.Cancel.get());
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) {
        RaiseErrno();
    }
    if (err != 0) {
        throw ENetSocketError(WinsockCodeFromErrno(err));
    }
}

}  // namespace

TNetCancel::TNetCancel() : event_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TNetCancel::~TNetCancel() {
    if (event_ >= 0) {
        ::close(event_);
    }
}

void TNetCancel::Cancel() noexcept {
    cancelled_.store(true, std::memory_order_release);
    if (event_ >= 0) {
        std::uint64_t one = 1;
        // Only fails when the counter is full, and then it is readable anyway.
        [[maybe_unused]] ssize_t ignored = ::write(event_, &one, sizeof one);
    }
}

void TNetCancel::Reset() noexcept {
    cancelled_.store(false, std::memory_order_release);
    if (event_ >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t ignored = ::read(event_, &count, sizeof count);
    }
}

std::unique_ptr<INetStream> TPosixConnector::Open(const std::string& host, int port,
                                                  const TConnectOptions& options) {
    if (options.Cancel && options.Cancel->Cancelled()) {
        throw ENetCancelled();
    }
    TFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0) {
        throw ENetInvalidSocket();
    }
    if (port < 0 || port > 65535) {
        throw ENetSocketError(10049);
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<uint16_t>(port));
    target.sin_addr = ResolveHost(host);
    if (!options.UseNagle) {
        int on = 1;
        ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ConnectWithTimeout(fd.Get(), target, options);
    return std::make_unique<TPosixStream>(fd.Release(), options.Cancel);
}

std::unique_ptr<INetStream> TPosixConnector::StartTls(std::unique_ptr<INetStream> plain,
                                                      const std::string& host,
                                                      const TNetTlsOptions& options) {
    return NegotiateTls(std::move(plain), host, options);
}

std::string LocalHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "localhost";
    }
    return name;
}

}  // namespace qv
