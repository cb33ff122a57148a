#include "sent/sent_message.h"

#include <ctime>

#include "base/line_breaks.h"
#include "base/pending_file.h"
#include "sent/sent_errors.h"

namespace qv::sent {

namespace {

std::string CountOf(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string TransactionStateText(TTransactionState state) {
    switch (state) {
        case TTransactionState::Sent: return "sent";
        case TTransactionState::Failed: return "failed";
        case TTransactionState::Pending: break;
    }
    return "not sent";
}

// How far a mail action got, in one line.
std::string MailResult(const TSentMessage& m) {
    const std::size_t total = m.Transactions.size();
    std::size_t sent = 0;
    for (const TTransactionRecord& t : m.Transactions) {
        sent += t.State == TTransactionState::Sent ? 1 : 0;
    }
    const std::string through = m.Server.empty() ? "" : " through " + m.Server;
    switch (m.State) {
        case TSendState::Sent:
            return "Sent in " + CountOf(total, "transaction", "transactions") + through;
        case TSendState::Cancelled:
            return "Cancelled after " + std::to_string(sent) + " of " +
                   CountOf(total, "transaction", "transactions") + " sent";
        case TSendState::Sending:
            return "Unfinished: the program ended after " + std::to_string(sent) + " of " +
                   CountOf(total, "transaction", "transactions") + " sent";
        case TSendState::Failed: break;
    }
    switch (m.FailedAt) {
        case TFailedAt::Checking: return "Failed before connecting: " + m.Failure;
        case TFailedAt::Connecting: return "Failed while connecting" + through + ": " + m.Failure;
        case TFailedAt::Sending:
        case TFailedAt::None: break;
    }
    return "Failed after " + std::to_string(sent) + " of " +
           CountOf(total, "transaction", "transactions") + " sent: " + m.Failure;
}

}  // namespace

std::string_view RoleText(TRole role) {
    switch (role) {
        case TRole::CC: return "CC";
        case TRole::BCC: return "BCC";
        case TRole::To: break;
    }
    return "To";
}

std::string_view FormOutcomeText(TFormOutcome outcome) {
    switch (outcome) {
        case TFormOutcome::Skipped: return "Skipped";
        case TFormOutcome::Stopped: return "Stopped";
        case TFormOutcome::Filled: break;
    }
    return "Filled";
}

std::string AttachmentName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ResultText(const TSentSummary& s) {
    if (s.Kind == TMessageKind::WebForms) {
        if (s.State == TSendState::Sending) {
            return "Web forms: in progress";
        }
        return "Web forms: " + std::to_string(s.Done) + " of " + std::to_string(s.RecipientCount) +
               " filled";
    }
    switch (s.State) {
        case TSendState::Sent: return "Sent";
        case TSendState::Failed: return "Failed";
        case TSendState::Cancelled: return "Cancelled";
        case TSendState::Sending: break;
    }
    return "Unfinished";
}

std::string FormatLocalTime(std::int64_t when) {
    const auto t = static_cast<std::time_t>(when);
    std::tm local{};
    ::localtime_r(&t, &local);
    const int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char text[48];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d %s", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, hour, local.tm_min, local.tm_hour < 12 ? "AM" : "PM");
    return text;
}

std::string MessageText(const TSentMessage& m) {
    std::string text = "Date:        " + FormatLocalTime(m.When) + "\n";
    if (!m.Fields.From.empty()) {
        text += "From:        " + m.Fields.From + "\n";
    }
    text += "Subject:     " + m.Fields.Subject + "\n";
    if (!m.Fields.Attachments.empty()) {
        std::string names;
        for (const std::string& path : m.Fields.Attachments) {
            names += (names.empty() ? "" : ", ") + AttachmentName(path);
        }
        text += "Attachments: " + names + "\n";
    }

    if (m.Kind == TMessageKind::WebForms) {
        text += "Result:      Written through " +
                CountOf(m.Officials.size(), "web form", "web forms") +
                (m.State == TSendState::Sending ? " (in progress)" : "") + "\n\n";
        for (const TFormOfficial& official : m.Officials) {
            text += std::string(FormOutcomeText(official.Outcome)) + ": " + official.Name + " <" +
                    official.Url + ">\n";
        }
    } else {
        text += "Result:      " + WithLfLineBreaks(MailResult(m)) + "\n\n";
        const std::size_t total = m.Transactions.size();
        for (std::size_t i = 0; i < total; ++i) {
            const TTransactionRecord& t = m.Transactions[i];
            text += "Transaction " + std::to_string(i + 1) + " of " + std::to_string(total) +
                    ": " + TransactionStateText(t.State);
            if (!t.Reply.empty()) {
                text += ", server replied \"" + t.Reply + "\"";
            }
            text += "\n";
            for (const TRecipient& r : t.Recipients) {
                std::string role(RoleText(r.Role));
                text += "  " + role + ":" + std::string(4 - role.size(), ' ') + r.Address + "\n";
            }
        }
    }
    text += "\n" + WithLfLineBreaks(m.Body);
    if (text.back() != '\n') {
        text += '\n';
    }
    return text;
}

std::string ExportFileName(const TSentMessage& message) {
    std::string name;
    for (char c : message.Fields.Subject) {
        const bool refused = c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
                             c == '"' || c == '<' || c == '>' || c == '|' ||
                             static_cast<unsigned char>(c) < 0x20;
        name += refused ? '_' : c;
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) {
        name.pop_back();
    }
    while (!name.empty() && (name.front() == ' ' || name.front() == '.')) {
        name.erase(0, 1);
    }
    if (name.size() > 100) {
        name.resize(100);
        // Do not leave half of a UTF-8 sequence at the cut.
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) {
            name.pop_back();
        }
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) {
            name.pop_back();
        }
    }
    return (name.empty() ? "message" : name) + ".txt";
}

void ExportMessage(const TSentMessage& message, const std::string& path) {
    const std::string text = MessageText(message);
    try {
        TPendingFile file(path);
        file.Stream().write(text.data(), static_cast<std::streamsize>(text.size()));
        file.Commit();
    } catch (const EPendingFileError& error) {
        throw ESentExportError(path, error.what());
    }
}

}  // namespace qv::sent
