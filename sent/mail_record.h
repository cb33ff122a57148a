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
// body as it will be sent, and each transaction's recipients as
// DeliverMessage groups them.
TMailStart MailStartFor(const TSendRequest& request, std::string server, std::int64_t when);

// Watches a delivery for its record: notes how far it got, records each
// transaction the server accepts with the server's reply to its data, and
// passes every call on to `next` (may be null). The calls come on the
// thread that delivers, where smtp is read right after its Send. `record`,
// `smtp` and `next` must outlive the delivery.
class TRecordingObserver : public IDeliveryObserver {
  public:
    TRecordingObserver(TSendRecord& record, const TSmtpClient& smtp, IDeliveryObserver* next)
        : record_(record), smtp_(smtp), next_(next) {}

    void Connecting(const std::string& host) override;
    void SendingTransaction(std::size_t number, std::size_t total,
                            std::size_t recipients) override;
    void TransactionSent(std::size_t recipients) override;

    // Records how the delivery ended: `failure` is what DeliverMessage
    // raised, null when it returned. Call once the delivery is over.
    void Ended(const std::exception_ptr& failure) noexcept;

  private:
    TSendRecord& record_;
    const TSmtpClient& smtp_;
    IDeliveryObserver* next_;
    // The message is checked before the first callback, so a failure before
    // Connecting refused the message itself.
    TFailedAt stage_ = TFailedAt::Checking;
    std::size_t sent_ = 0;
};

// The failure's text as the record keeps it: for a failed connection, the
// second attempt's failure, which says why.
std::string FailureText(const std::exception_ptr& failure);

}  // namespace qv::sent
