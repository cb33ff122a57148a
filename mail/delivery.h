// The send action shared by the compose window and qvtool: fill the message,
// connect with one retry, build the body, set the sender headers and deliver
// in one transaction or in groups of at most the maximum per message. No
// widgets here: progress goes out through IDeliveryObserver and failures are
// raised. The window runs it on a worker thread and cancels it with
// TSmtpClient::Cancel().
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_message.h"
#include "mail/salutation.h"
#include "mail/smtp_client.h"

namespace qv {

// The user's contact details, in the order of the contact block.
struct TContactDetails {
    std::string Name{};
    std::string Street1{};
    std::string Street2{};
    std::string City{};
    std::string State{};
    std::string ZipCode{};
    std::string HomePhone{};
    std::string WorkPhone{};
    std::string Fax{};
    std::string District{};
};

struct TSendRequest {
    std::string From{};  // as typed; also the e-mail line of the body
    std::string To{};    // recipient fields, entries separated by ";"
    std::string CC{};
    std::string BCC{};
    std::string Subject{};
    std::string MessageText{};               // the text as the user wrote it
    std::vector<std::string> Attachments{};  // full paths, in order
    bool UseContact = false;
    TContactDetails Contact{};
    bool HideFrom = false;
    int MaxRecipients = 99;  // below 1 counts as 1
    // When set and the subject or the text holds a placeholder (see
    // mail/salutation.h), each recipient gets a letter of its own, in a
    // transaction of its own, with the placeholders read from its record in
    // Records; the maximum per message then plays no part. Off, placeholders
    // are sent as written.
    bool Personalise = false;
    TRecipientRecords Records{};
    // "Send me a copy": From, as typed, goes as one more BCC entry of the
    // first transaction; it does not count towards the maximum's split.
    bool CopyToSender = false;
};

// One transaction's share of the recipient entries.
struct TRecipientGroup {
    TStringList To;
    TStringList CC;
    TStringList BCC;
    std::size_t Count() const { return To.size() + CC.size() + BCC.size(); }
};

// Progress of a send action, called on the thread that runs it; a window
// passes the calls on to its own thread.
class IDeliveryObserver {
  public:
    virtual ~IDeliveryObserver() = default;
    // Before the connection to host is opened.
    virtual void Connecting(const std::string& /*host*/) {}
    // Before transaction number (from 1) of total goes out to recipients.
    virtual void SendingTransaction(std::size_t /*number*/, std::size_t /*total*/,
                                    std::size_t /*recipients*/) {}
    // Called after the server accepted a transaction.
    virtual void TransactionSent(std::size_t recipients) = 0;
};

// The progress texts: "Connecting to HOST..." and
// "Sending transaction K of N (R recipients)" ("(1 recipient)" for one).
std::string ConnectingText(std::string_view host);
std::string SendingText(std::size_t number, std::size_t total, std::size_t recipients);

struct TDeliveryResult {
    std::size_t Transactions = 0;
    // True when the recipients reached the maximum per message, so that they
    // went out in groups (or, personalised, would have); the compose window
    // asks whether to save a copy only below it.
    bool SplitSending = false;
};

// One transaction of a send action: its share of the recipients, and the
// subject and body they receive.
struct TTransaction {
    TRecipientGroup Recipients;
    std::string Subject;
    std::string Body;
};

// The entries of a recipient field: cut at every ";", each piece trimmed of
// blanks, empty pieces kept; an empty field has none.
TStringList SplitRecipientField(std::string_view field);

// Lines of 16-character labels and values, CR LF after each and one more at
// the end; lines with an empty value are left out except the e-mail line.
std::string BuildContactBlock(const TContactDetails& contact, std::string_view from);

// The body: the contact block or, with the sender hidden, the e-mail line
// and an empty line, in front of the message text.
std::string BuildMessageBody(const TSendRequest& request);

// To entries, then CC, then BCC, cut into consecutive groups of exactly
// maxPerGroup (at least 1) entries and a last smaller group.
std::vector<TRecipientGroup> SplitIntoGroups(const TStringList& to, const TStringList& cc,
                                             const TStringList& bcc, int maxPerGroup);

// True when request asks for, and its text holds, personal letters.
bool IsPersonalised(const TSendRequest& request);

// The transactions DeliverMessage makes for request, in order: one with
// every entry below the maximum per message, groups of the maximum from it
// on, or, personalised, one per entry (To, then CC, then BCC, each keeping its
// role) with its own subject and body. Without entries, one empty
// transaction, which the client refuses. With CopyToSender, the first holds
// the sender's copy as its last BCC entry.
std::vector<TTransaction> PlanTransactions(const TSendRequest& request);

// The entries of each transaction of PlanTransactions(request).
std::vector<TRecipientGroup> TransactionGroups(const TSendRequest& request);

// The letter the first entry of request receives (To, else CC, else BCC),
// alone in its transaction, with the subject and body its transaction
// carries: what the compose window previews. Without entries, the letter
// to an empty entry, which has no record.
TTransaction FirstLetter(const TSendRequest& request);

// Runs the send action on smtp and message, both owned by the caller, with
// smtp's account already set. Checks every transaction before connecting, so
// a malformed entry writes no command at all. Raises ESmtpConnectFailed when
// both connection attempts fail; a refused TLS negotiation or login
// (ETlsError, ESmtpNegotiationError) is raised at once, since trying again
// would not help. Raises ESendCancelled, with the count of transactions sent,
// when smtp.Cancel() ends the action, and whatever the client raises
// otherwise; transactions completed before a failure stay sent and the
// session stays open, except after a failure inside the message data, which
// closes it.
TDeliveryResult DeliverMessage(TSmtpClient& smtp, TMailMessage& message,
                               const TSendRequest& request, IDeliveryObserver* observer);

}  // namespace qv
