// The record of one send action as the store keeps it: a message sent by
// e-mail in one or more transactions, or a letter written through officials'
// web forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::sent {

enum class TMessageKind { Mail, WebForms };

// Where a send action stands. A mail action is Sending from its first write
// until it ends; one still Sending when nobody is sending was cut short (the
// program ended). A web-form letter is Sending while its walk runs.
enum class TSendState { Sending, Sent, Failed, Cancelled };

// The step a failed mail action had reached.
enum class TFailedAt {
    None,
    Checking,    // the message was refused before any connection
    Connecting,  // no session could be opened
    Sending,     // a transaction failed; the earlier ones went out
};

enum class TRole { To, CC, BCC };

enum class TTransactionState { Pending, Sent, Failed };

// What the user did at an official's form.
enum class TFormOutcome { Filled, Skipped, Stopped };

std::string_view RoleText(TRole role);                   // "To", "CC", "BCC"
std::string_view FormOutcomeText(TFormOutcome outcome);  // "Filled", "Skipped", "Stopped"

struct TRecipient {
    TRole Role = TRole::To;
    std::string Address;  // the entry as it went to the server
    bool operator==(const TRecipient&) const = default;
};

struct TTransactionRecord {
    TTransactionState State = TTransactionState::Pending;
    std::vector<TRecipient> Recipients;
    std::string Reply;  // the server's reply to the end of the data, once sent
    bool operator==(const TTransactionRecord&) const = default;
};

struct TFormOfficial {
    std::string Name;  // as the walk showed it: "Sen. Jane Doe"
    std::string Url;   // the form's address
    TFormOutcome Outcome = TFormOutcome::Filled;
    bool operator==(const TFormOfficial&) const = default;
};

// The fields of the compose window as the user filled them: what "Send
// Again" puts back.
struct TMessageFields {
    std::string From;
    std::string To;  // recipient fields as typed, entries separated by ";"
    std::string CC;
    std::string BCC;
    std::string Subject;
    std::string Text;                      // the message text as written
    std::vector<std::string> Attachments;  // full paths, in order
    bool operator==(const TMessageFields&) const = default;
};

struct TSentMessage {
    std::int64_t Id = 0;
    TMessageKind Kind = TMessageKind::Mail;
    std::int64_t When = 0;  // seconds since 1970-01-01 UTC, when the action began
    TSendState State = TSendState::Sending;
    TMessageFields Fields;
    std::string Server;  // mail: the SMTP server
    std::string Body;    // the body as sent (contact block in front), or the letter
    TFailedAt FailedAt = TFailedAt::None;
    std::string Failure;  // the failure's text
    std::vector<TTransactionRecord> Transactions;  // in sending order
    std::vector<TFormOfficial> Officials;          // web forms, in walk order
    bool operator==(const TSentMessage&) const = default;
};

// A line of the list of sent messages.
struct TSentSummary {
    std::int64_t Id = 0;
    TMessageKind Kind = TMessageKind::Mail;
    std::int64_t When = 0;
    TSendState State = TSendState::Sending;
    std::string Subject;
    std::string Recipients;  // the first few addresses or officials, joined by ", "
    std::size_t RecipientCount = 0;
    std::size_t Transactions = 0;  // mail: planned; web forms: 0
    std::size_t Done = 0;          // mail: transactions sent; web forms: forms filled
};

// The attachment's name as the recipient saw it: the text after the last "/".
std::string AttachmentName(std::string_view path);

// "Sent", "Failed", "Cancelled", "Unfinished" for mail; "Web forms: 2 of 3
// filled" (or "Web forms: in progress") for a web-form letter.
std::string ResultText(const TSentSummary& summary);

// The local date and time as "12/8/2026 7:37 PM".
std::string FormatLocalTime(std::int64_t when);

// The whole message as plain text, LF line ends: the header lines (date,
// sender, subject, attachments, result), each transaction with its
// recipients and the server's reply (or each official with what became of
// the form), then the body as sent.
std::string MessageText(const TSentMessage& message);

// A file name for the exported message: the subject with characters that
// file systems refuse replaced, ".txt" at the end ("message.txt" without one).
std::string ExportFileName(const TSentMessage& message);

// Writes MessageText(message) to path, beside the target first and renamed
// over it once complete; raises ESentExportError and leaves an existing file
// untouched on failure.
void ExportMessage(const TSentMessage& message, const std::string& path);

}  // namespace qv::sent
