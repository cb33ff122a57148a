// Recording a send action while it runs, without ever getting in its way:
// every call is one local write, nothing raises, and the first failure is
// kept for the caller to report once the action is over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "sent/sent_message.h"
#include "sent/sent_store.h"

namespace qv::webforms {
class TFormWalk;
class TWalkMarks;
}  // namespace qv::webforms

namespace qv::sent {

// The record of one mail action. Begin runs before the first network step;
// the other calls may come from the sending thread. `store` may be null (the
// record could not be opened): the calls then record nothing and Problem()
// stays empty, since opening already reported it. The store must outlive
// the record.
class TSendRecord {
  public:
    explicit TSendRecord(TSentStore* store) : store_(store) {}

    void Begin(const TMailStart& start) noexcept;
    // Transaction number (from 1) was accepted; reply is the server's reply
    // to the end of its data.
    void TransactionSent(std::size_t number, std::string_view reply) noexcept;
    // Every transaction went out.
    void Sent() noexcept;
    // The action failed at `at`; a failure while sending counts against the
    // first transaction not yet sent.
    void Failed(TFailedAt at, std::string_view failure) noexcept;
    // The user cancelled; note says how far it got.
    void Cancelled(std::string_view note) noexcept;

    std::size_t TransactionsSent() const noexcept;

    // The first write that failed, as a sentence for the user; empty while
    // every write succeeded.
    std::string Problem() const;

  private:
    template <typename F>
    void Try(F&& write) noexcept;

    TSentStore* store_;
    mutable std::mutex lock_;
    std::int64_t id_ = 0;  // 0 until Begin succeeded
    std::size_t sent_ = 0;
    std::string problem_;
};

// The record of one walk through officials' web forms. The Web Forms
// window calls Begin when the user starts a walk and Follow each time the
// walk moves (the walker's Moved signal). Not thread-safe: the walk runs on
// the user-interface thread. Same rules for `store` as above.
class TWebFormRecord {
  public:
    explicit TWebFormRecord(TSentStore* store) : store_(store) {}

    void Begin(const TWebFormStart& start) noexcept;
    // Records each official the walk went past (filled or skipped) or
    // stopped at since the last call, with the mark in `marks`, and the end
    // of the walk once it is over.
    void Follow(const webforms::TFormWalk& walk, const webforms::TWalkMarks& marks) noexcept;

    std::string Problem() const { return problem_; }

  private:
    template <typename F>
    void Try(F&& write) noexcept;

    TSentStore* store_;
    std::int64_t id_ = 0;
    std::size_t recorded_ = 0;  // stops of the walk recorded so far
    bool ended_ = false;
    std::string problem_;
};

}  // namespace qv::sent
