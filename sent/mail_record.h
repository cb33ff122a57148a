// Recording a send action of the delivery code (mail/delivery.h): what it
// is about to send, each transaction the server accepts with its reply, and
// how it ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "mail/delivery.h"
#include "mail/smtp_client.h"
#include "sent/send_record.h"
#include "sent/sent_store.h"

namespace qv::sent {

// The record of request before it goes out through server: its fields, the
// body as it will be sent, and each transaction's recipients, grouped as
// DeliverMessage groups them.
TMailStart MailStartFor(const TSendRequest& request, std::string server, std::int64_t when);

// Records each transaction the server accepts, with the server's reply to
// its data, and passes every call on to `next` (may be null). Runs on the
// thread that delivers; smtp is only read there, right after its Send.
// `record`, `smtp` and `next` must outlive the delivery.
class TRecordingObserver : public IDeliveryObserver {
  public:
    TRecordingObserver(TSendRecord& record, const TSmtpClient& smtp, IDeliveryObserver* next)
        : record_(record), smtp_(smtp), next_(next) {}

    void TransactionSent(std::size_t recipients) override;

  private:
    TSendRecord& record_;
    const TSmtpClient& smtp_;
    IDeliveryObserver* next_;
    std::size_t sent_ = 0;
};

// Records the failure that DeliverMessage raised and where it stopped: the
// message refused before connecting, no connection, or a transaction.
void RecordFailure(TSendRecord& record, const std::exception_ptr& failure) noexcept;

// The failure's text as the user sees it: for a failed connection, the
// second attempt's failure.
std::string FailureText(const std::exception_ptr& failure);

}  // namespace qv::sent
