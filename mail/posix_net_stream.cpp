#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "mail/net_errors.h"
#include "mail/net_stream.h"

namespace qv {

namespace {

[[noreturn]] void RaiseErrno() {
    throw ENetSocketError(WinsockCodeFromErrno(errno));
}

int PollMilliseconds(TNetTimeout timeout) {
    return static_cast<int>(std::clamp<long long>(timeout.count(), 0, INT_MAX));
}

// Waits until fd is ready for events or the time-out passes.
void WaitFor(int fd, short events, TNetTimeout timeout) {
    pollfd entry{fd, events, 0};
    for (;;) {
        int ready = ::poll(&entry, 1, PollMilliseconds(timeout));
        if (ready > 0) {
            return;
        }
        if (ready == 0) {
            throw ENetSocketError(sockerr::kTimedOut);
        }
        if (errno != EINTR) {
            RaiseErrno();
        }
    }
}

class TFd {
  public:
    explicit TFd(int fd) : FFd(fd) {}
    ~TFd() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }
    int Release() { return std::exchange(FFd, -1); }

  private:
    int FFd;
};

class TPosixStream : public INetStream {
  public:
    explicit TPosixStream(int fd) : FFd(fd) {}
    ~TPosixStream() override { Close(); }

    void Write(std::string_view data, TNetTimeout timeout) override {
        while (!data.empty()) {
            WaitFor(FFd, POLLOUT, timeout);
            ssize_t sent = ::send(FFd, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    continue;
                }
                RaiseErrno();
            }
            data.remove_prefix(static_cast<std::size_t>(sent));
        }
    }

    std::size_t Read(std::span<char> into, TNetTimeout timeout) override {
        for (;;) {
            WaitFor(FFd, POLLIN, timeout);
            ssize_t got = ::recv(FFd, into.data(), into.size(), 0);
            if (got > 0) {
                return static_cast<std::size_t>(got);
            }
            if (got == 0) {
                throw ENetSocketError(sockerr::kConnectionReset);
            }
            if (errno != EINTR && errno != EAGAIN) {
                RaiseErrno();
            }
        }
    }

    void Close() noexcept override {
        if (FFd >= 0) {
            ::close(FFd);
            FFd = -1;
        }
    }

  private:
    int FFd;
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

// Connects without blocking so that the time-out applies, then puts the
// socket back into blocking mode.
void ConnectWithTimeout(int fd, const sockaddr_in& target, TNetTimeout timeout) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        RaiseErrno();
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0) {
        if (errno != EINPROGRESS) {
            RaiseErrno();
        }
        WaitFor(fd, POLLOUT, timeout);
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) {
            RaiseErrno();
        }
        if (err != 0) {
            throw ENetSocketError(WinsockCodeFromErrno(err));
        }
    }
    if (::fcntl(fd, F_SETFL, flags) < 0) {
        RaiseErrno();
    }
}

}  // namespace

std::unique_ptr<INetStream> TPosixConnector::Open(const std::string& host, int port,
                                                  const TConnectOptions& options) {
    TFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
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
    ConnectWithTimeout(fd.Get(), target, options.Timeout);
    return std::make_unique<TPosixStream>(fd.Release());
}

std::string LocalHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return "localhost";
    }
    return name;
}

}  // namespace qv
