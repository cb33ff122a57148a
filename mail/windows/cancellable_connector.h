#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "mail/net_stream.h"

namespace qv {

// Wraps a connector so that another thread can stop a session that is
// waiting on the network: after Cancel, opening a stream and writing fail at
// once, and a read that is waiting gives up within a fraction of a second
// (reads wait in short slices and look at the flag between them). The
// failures are ENetSocketError 10004, "Interrupted function call".
//
// Cancel and Reset may be called from any thread; the streams are used by
// one thread at a time, as any INetStream.
class TCancellableConnector : public INetConnector {
  public:
    // nullptr wraps blocking POSIX sockets.
    explicit TCancellableConnector(std::shared_ptr<INetConnector> inner = nullptr);

    std::unique_ptr<INetStream> Open(const std::string& host, int port,
                                     const TConnectOptions& options) override;

    // Called on the opening thread each time a stream has opened.
    void SetOnOpen(std::function<void()> onOpen) { onOpen_ = std::move(onOpen); }

    void Cancel() { cancelled_->store(true); }
    // Lets the next send action use the network again.
    void Reset() { cancelled_->store(false); }
    bool Cancelled() const { return cancelled_->load(); }

  private:
    std::shared_ptr<INetConnector> inner_;
    std::function<void()> onOpen_;
    // Shared with the streams, which may outlive the connector.
    std::shared_ptr<std::atomic<bool>> cancelled_;
};

}  // namespace qv
