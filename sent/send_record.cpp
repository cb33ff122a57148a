#include "sent/send_record.h"

#include <exception>

#include "webforms/form_walk.h"

namespace qv::sent {

namespace {

// Runs write and keeps the text of its first failure in problem.
template <typename F>
void Attempt(F&& write, std::string& problem) noexcept {
    try {
        write();
    } catch (const std::exception& error) {
        if (problem.empty()) {
            try {
                problem = error.what();
            } catch (...) {
                // Out of memory for the text: nothing sensible left to do.
            }
        }
    } catch (...) {
        if (problem.empty()) {
            problem = "Unable to write to the record of sent messages.";
        }
    }
}

}  // namespace

template <typename F>
void TSendRecord::Try(F&& write) noexcept {
    std::lock_guard guard(lock_);
    if (store_ == nullptr || (id_ == 0 && !problem_.empty())) {
        return;  // nothing open, or the action itself was never recorded
    }
    Attempt(write, problem_);
}

void TSendRecord::Begin(const TMailStart& start) noexcept {
    Try([&] { id_ = store_->BeginMail(start); });
}

void TSendRecord::TransactionSent(std::size_t number, std::string_view reply) noexcept {
    {
        std::lock_guard guard(lock_);
        sent_ = number;
    }
    Try([&] {
        if (id_ != 0) {
            store_->TransactionSent(id_, number, reply);
        }
    });
}

void TSendRecord::Sent() noexcept {
    Try([&] {
        if (id_ != 0) {
            store_->MailSent(id_);
        }
    });
}

void TSendRecord::Failed(TFailedAt at, std::string_view failure) noexcept {
    Try([&] {
        if (id_ != 0) {
            store_->MailFailed(id_, at, sent_ + 1, failure);
        }
    });
}

void TSendRecord::Cancelled(std::string_view note) noexcept {
    Try([&] {
        if (id_ != 0) {
            store_->MailCancelled(id_, note);
        }
    });
}

std::size_t TSendRecord::TransactionsSent() const noexcept {
    std::lock_guard guard(lock_);
    return sent_;
}

std::string TSendRecord::Problem() const {
    std::lock_guard guard(lock_);
    return problem_;
}

template <typename F>
void TWebFormRecord::Try(F&& write) noexcept {
    if (store_ == nullptr || (id_ == 0 && !problem_.empty())) {
        return;
    }
    Attempt(write, problem_);
}

void TWebFormRecord::Begin(const TWebFormStart& start) noexcept {
    Try([&] { id_ = store_->BeginWebForms(start); });
}

void TWebFormRecord::Follow(const webforms::TFormWalk& walk,
                            const webforms::TWalkMarks& marks) noexcept {
    using webforms::TWalkMark;
    if (ended_) {
        return;
    }
    // A stopped walk stays at the official it was stopped at.
    const bool stopped = !walk.Active() && walk.Position() < walk.Count();
    const std::size_t reached = walk.Position() + (stopped ? 1 : 0);
    for (; recorded_ < reached && recorded_ < walk.Count(); ++recorded_) {
        const webforms::TWalkStop& stop = walk.Stops()[recorded_];
        const TWalkMark mark = marks.Mark(stop.Key);
        const TFormOutcome outcome = mark == TWalkMark::Skipped   ? TFormOutcome::Skipped
                                     : mark == TWalkMark::Stopped ? TFormOutcome::Stopped
                                                                  : TFormOutcome::Filled;
        Try([&] {
            if (id_ != 0) {
                store_->AddOfficial(id_, {stop.Title, stop.Url, outcome});
            }
        });
    }
    if (!walk.Active()) {
        ended_ = true;
        Try([&] {
            if (id_ != 0) {
                store_->WebFormsEnded(id_);
            }
        });
    }
}

}  // namespace qv::sent
