#include "mail/windows/cancellable_connector.h"

#include <algorithm>
#include <chrono>

#include "mail/net_errors.h"

namespace qv {

namespace {

constexpr int kInterrupted = 10004;
constexpr int kTimedOut = 10060;
constexpr TNetTimeout kSlice = std::chrono::milliseconds(100);

class TCancellableStream : public INetStream {
  public:
    TCancellableStream(std::unique_ptr<INetStream> inner,
                       std::shared_ptr<std::atomic<bool>> cancelled)
        : inner_(std::move(inner)), cancelled_(std::move(cancelled)) {}

    void Write(std::string_view data, TNetTimeout timeout) override {
        ThrowIfCancelled();
        inner_->Write(data, timeout);
    }

    // A read that times out has consumed nothing, so waiting in slices and
    // trying again loses no data.
    std::size_t Read(std::span<char> into, TNetTimeout timeout) override {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            ThrowIfCancelled();
            const auto left = std::chrono::duration_cast<TNetTimeout>(
                deadline - std::chrono::steady_clock::now());
            try {
                return inner_->Read(into, std::clamp(left, TNetTimeout::zero(), kSlice));
            } catch (const ENetSocketError& error) {
                if (error.Code() != kTimedOut || left <= kSlice)
                    throw;
            }
        }
    }

    void Close() noexcept override { inner_->Close(); }

  private:
    void ThrowIfCancelled() const {
        if (cancelled_->load())
            throw ENetSocketError(kInterrupted);
    }

    std::unique_ptr<INetStream> inner_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

}  // namespace

TCancellableConnector::TCancellableConnector(std::shared_ptr<INetConnector> inner)
    : inner_(inner ? std::move(inner) : std::make_shared<TPosixConnector>()),
      cancelled_(std::make_shared<std::atomic<bool>>(false)) {}

std::unique_ptr<INetStream> TCancellableConnector::Open(const std::string& host, int port,
                                                        const TConnectOptions& options) {
    if (cancelled_->load())
        throw ENetSocketError(kInterrupted);
    auto stream = std::make_unique<TCancellableStream>(inner_->Open(host, port, options), cancelled_);
    if (onOpen_)
        onOpen_();
    return stream;
}

}  // namespace qv
