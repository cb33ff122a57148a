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

// Where a failure raised by DeliverMessage stopped the action. The message is
// checked before connecting, so its errors come first, except those that
// only the writing of a transaction finds (an attachment that cannot be
// read, the local time zone).
TFailedAt FailedAt(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const ESmtpConnectFailed&) {
        return TFailedAt::Connecting;
    } catch (const EFileReadError&) {
        return TFailedAt::Sending;
    } catch (const ETimeZoneError&) {
        return TFailedAt::Sending;
    } catch (const EMailMessageError&) {
        return TFailedAt::Checking;
    } catch (...) {
        return TFailedAt::Sending;
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
    std::vector<TRecipientGroup> groups =
        SplitIntoGroups(SplitRecipientField(request.To), SplitRecipientField(request.CC),
                        SplitRecipientField(request.BCC), request.MaxRecipients);
    if (groups.empty()) {
        groups.emplace_back();  // still one transaction, which the server refuses
    }
    for (const TRecipientGroup& group : groups) {
        std::vector<TRecipient>& recipients = start.Transactions.emplace_back();
        AddRole(recipients, group.To, TRole::To);
        AddRole(recipients, group.CC, TRole::CC);
        AddRole(recipients, group.BCC, TRole::BCC);
    }
    return start;
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

void RecordFailure(TSendRecord& record, const std::exception_ptr& failure) noexcept {
    try {
        record.Failed(FailedAt(failure), FailureText(failure));
    } catch (...) {
        // Only the text could not be made (out of memory); the send's own
        // failure is what the caller reports.
    }
}

}  // namespace qv::sent
