#include "sent/mail_record.h"

#include <utility>

#include "mail/net_errors.h"

namespace qv::sent {

namespace {

void AddRole(std::vector<TRecipient>& to, const TStringList& entries, TRole role) {
    for (const std::string& entry : entries) {
        to.push_back({role, entry});
    }
}

}  // namespace

TMailStart MailStartFor(const TSendRequest& request, std::string server, std::int64_t when) {
    TMailStart start;
    start.When = when;
    start.Server = std::move(server);
    start.Fields = {request.From,    request.To,          request.CC,         request.BCC,
                    request.Subject, request.MessageText, request.Attachments};
    start.Body = BuildMessageBody(request);
    for (const TRecipientGroup& group : TransactionGroups(request)) {
        std::vector<TRecipient>& recipients = start.Transactions.emplace_back();
        AddRole(recipients, group.To, TRole::To);
        AddRole(recipients, group.CC, TRole::CC);
        AddRole(recipients, group.BCC, TRole::BCC);
    }
    return start;
}

void TRecordingObserver::Connecting(const std::string& host) {
    stage_ = TFailedAt::Connecting;
    if (next_ != nullptr) {
        next_->Connecting(host);
    }
}

void TRecordingObserver::SendingTransaction(std::size_t number, std::size_t total,
                                            std::size_t recipients) {
    stage_ = TFailedAt::Sending;
    if (next_ != nullptr) {
        next_->SendingTransaction(number, total, recipients);
    }
}

void TRecordingObserver::TransactionSent(std::size_t recipients) {
    record_.TransactionSent(++sent_, smtp_.ReplyText());
    if (next_ != nullptr) {
        next_->TransactionSent(recipients);
    }
}

std::string FailureText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const ESmtpConnectFailed& error) {
        return error.Cause() ? FailureText(error.Cause()) : error.what();
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown failure";
    }
}

void TRecordingObserver::Ended(const std::exception_ptr& failure) noexcept {
    if (!failure) {
        record_.Sent();
        return;
    }
    try {
        try {
            std::rethrow_exception(failure);
        } catch (const ESendCancelled& cancelled) {
            record_.Cancelled(cancelled.what());
        } catch (...) {
            record_.Failed(stage_, FailureText(failure));
        }
    } catch (...) {
        // Only the text could not be made (out of memory); the send's own
        // failure is what the caller reports.
    }
}

}  // namespace qv::sent
