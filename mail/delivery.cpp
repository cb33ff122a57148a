#include "mail/delivery.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "base/trim.h"
#include "mail/net_errors.h"

namespace qv {

namespace {

constexpr std::string_view kEmailLabel = "email:          ";

void ConnectWithRetry(TSmtpClient& smtp) {
    try {
        smtp.Connect();
        return;
    } catch (const ENetCancelled&) {
        throw;
    } catch (const ETlsError&) {
        throw;
    } catch (const ESmtpNegotiationError&) {
        throw;
    } catch (const std::exception&) {
        // A session left open by an earlier action fails with "already
        // connected"; the retry below starts a fresh one.
    }
    try {
        smtp.Disconnect();
    } catch (const std::exception&) {
        // The second attempt decides.
    }
    try {
        smtp.Connect();
    } catch (const ENetCancelled&) {
        throw;
    } catch (const std::exception&) {
        throw ESmtpConnectFailed(std::current_exception());
    }
}

void SetRecipients(TMailMessage& message, const TRecipientGroup& group) {
    message.SetToo(group.To);
    message.SetCCList(group.CC);
    message.SetBCCList(group.BCC);
}

std::string BodyWithText(const TSendRequest& request, std::string_view text) {
    if (request.UseContact) {
        return BuildContactBlock(request.Contact, request.From) + std::string(text);
    }
    if (request.HideFrom) {
        return std::string(kEmailLabel) + request.From + "\r\n\r\n" + std::string(text);
    }
    return std::string(text);
}

// The letter for entry, in its role, with the placeholders read from the
// entry's record.
TTransaction PersonalLetter(const TSendRequest& request, const std::string& entry,
                            TStringList TRecipientGroup::*role) {
    const TSalutation salutation = SalutationFor(request.Records.Find(entry));
    TTransaction letter;
    (letter.Recipients.*role).push_back(entry);
    letter.Subject = ExpandPlaceholders(request.Subject, salutation);
    letter.Body = BodyWithText(request, ExpandPlaceholders(request.MessageText, salutation));
    return letter;
}

// One transaction for each entry, in the order of the fields.
std::vector<TTransaction> PersonalTransactions(const TSendRequest& request,
                                               const TRecipientGroup& all) {
    std::vector<TTransaction> transactions;
    auto add = [&](const TStringList& entries, TStringList TRecipientGroup::*role) {
        for (const std::string& entry : entries) {
            transactions.push_back(PersonalLetter(request, entry, role));
        }
    };
    add(all.To, &TRecipientGroup::To);
    add(all.CC, &TRecipientGroup::CC);
    add(all.BCC, &TRecipientGroup::BCC);
    return transactions;
}

}  // namespace

std::string ConnectingText(std::string_view host) {
    return "Connecting to " + std::string(host) + "...";
}

std::string SendingText(std::size_t number, std::size_t total, std::size_t recipients) {
    return "Sending transaction " + std::to_string(number) + " of " + std::to_string(total) + " (" +
           std::to_string(recipients) + (recipients == 1 ? " recipient)" : " recipients)");
}

TStringList SplitRecipientField(std::string_view field) {
    TStringList entries;
    if (field.empty()) {
        return entries;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t semicolon = field.find(';', start);
        std::size_t end = semicolon == std::string_view::npos ? field.size() : semicolon;
        entries.emplace_back(TrimSpaces(field.substr(start, end - start)));
        if (semicolon == std::string_view::npos) {
            return entries;
        }
        start = semicolon + 1;
    }
}

std::string BuildContactBlock(const TContactDetails& contact, std::string_view from) {
    const std::pair<std::string_view, std::string_view> lines[] = {
        {"Name:           ", contact.Name},      {kEmailLabel, from},
        {"Street Address: ", contact.Street1},   {"                ", contact.Street2},
        {"City:           ", contact.City},      {"State:          ", contact.State},
        {"Zip Code:       ", contact.ZipCode},   {"Home Phone:     ", contact.HomePhone},
        {"Work Phone:     ", contact.WorkPhone}, {"Fax Number:     ", contact.Fax},
        {"Congress. Dist. ", contact.District},
    };
    std::string block;
    for (const auto& [label, value] : lines) {
        if (!value.empty() || label == kEmailLabel) {
            block.append(label).append(value).append("\r\n");
        }
    }
    return block + "\r\n";
}

std::string BuildMessageBody(const TSendRequest& request) {
    return BodyWithText(request, request.MessageText);
}

std::vector<TRecipientGroup> SplitIntoGroups(const TStringList& to, const TStringList& cc,
                                             const TStringList& bcc, int maxPerGroup) {
    std::size_t max = static_cast<std::size_t>(std::max(maxPerGroup, 1));
    std::vector<TRecipientGroup> groups;
    auto add = [&](const TStringList& entries, TStringList TRecipientGroup::*role) {
        for (const std::string& entry : entries) {
            if (groups.empty() || groups.back().Count() == max) {
                groups.emplace_back();
            }
            (groups.back().*role).push_back(entry);
        }
    };
    add(to, &TRecipientGroup::To);
    add(cc, &TRecipientGroup::CC);
    add(bcc, &TRecipientGroup::BCC);
    return groups;
}

bool IsPersonalised(const TSendRequest& request) {
    return request.Personalise &&
           (HasPlaceholders(request.Subject) || HasPlaceholders(request.MessageText));
}

std::vector<TTransaction> PlanTransactions(const TSendRequest& request) {
    TRecipientGroup all{SplitRecipientField(request.To), SplitRecipientField(request.CC),
                        SplitRecipientField(request.BCC)};
    std::vector<TTransaction> transactions;
    if (IsPersonalised(request) && all.Count() > 0) {
        transactions = PersonalTransactions(request, all);
    } else {
        const std::string body = BuildMessageBody(request);
        if (all.Count() < static_cast<std::size_t>(std::max(request.MaxRecipients, 1))) {
            transactions.push_back({std::move(all), request.Subject, body});
        } else {
            for (TRecipientGroup& group :
                 SplitIntoGroups(all.To, all.CC, all.BCC, request.MaxRecipients)) {
                transactions.push_back({std::move(group), request.Subject, body});
            }
        }
    }
    if (request.CopyToSender) {
        transactions.front().Recipients.BCC.push_back(request.From);
    }
    return transactions;
}

std::vector<TRecipientGroup> TransactionGroups(const TSendRequest& request) {
    std::vector<TRecipientGroup> groups;
    for (TTransaction& t : PlanTransactions(request)) {
        groups.push_back(std::move(t.Recipients));
    }
    return groups;
}

TTransaction FirstLetter(const TSendRequest& request) {
    const std::pair<const std::string*, TStringList TRecipientGroup::*> fields[] = {
        {&request.To, &TRecipientGroup::To},
        {&request.CC, &TRecipientGroup::CC},
        {&request.BCC, &TRecipientGroup::BCC}};
    std::string entry;
    TStringList TRecipientGroup::*role = &TRecipientGroup::To;
    for (const auto& [field, fieldRole] : fields) {
        const TStringList entries = SplitRecipientField(*field);
        if (!entries.empty()) {
            entry = entries.front();
            role = fieldRole;
            break;
        }
    }
    if (IsPersonalised(request)) {
        return PersonalLetter(request, entry, role);
    }
    TTransaction letter{{}, request.Subject, BuildMessageBody(request)};
    (letter.Recipients.*role).push_back(entry);
    return letter;
}

TDeliveryResult DeliverMessage(TSmtpClient& smtp, TMailMessage& message,
                               const TSendRequest& request, IDeliveryObserver* observer) {
    message.ClearAttachments();
    message.SetFrom(request.From);
    message.SetSubject(request.Subject);
    for (const std::string& path : request.Attachments) {
        message.AddAttachment(path);
    }
    if (request.HideFrom) {
        message.SetFrom("");
        message.SetReplyTo("");
    } else {
        message.SetReplyTo(message.From());
    }

    // Every transaction is checked before the first command goes out. A
    // personal subject is set for each; otherwise the subject is left as the
    // client last set it, so the headers keep their order.
    const bool personal = IsPersonalised(request);
    std::vector<TTransaction> transactions = PlanTransactions(request);
    for (const TTransaction& t : transactions) {
        if (personal) {
            message.SetSubject(t.Subject);
        }
        SetRecipients(message, t.Recipients);
        smtp.CheckMessage(message);
    }

    // The sender's copy does not count: the entries the user typed decide.
    const std::size_t entries = SplitRecipientField(request.To).size() +
                                SplitRecipientField(request.CC).size() +
                                SplitRecipientField(request.BCC).size();
    TDeliveryResult result;
    result.SplitSending = entries >= static_cast<std::size_t>(std::max(request.MaxRecipients, 1));
    try {
        if (observer != nullptr) {
            observer->Connecting(smtp.Host());
        }
        ConnectWithRetry(smtp);
        for (TTransaction& t : transactions) {
            const std::size_t count = t.Recipients.Count();
            if (observer != nullptr) {
                observer->SendingTransaction(result.Transactions + 1, transactions.size(), count);
            }
            if (personal) {
                message.SetSubject(t.Subject);
            }
            SetRecipients(message, t.Recipients);
            message.SetText(t.Body);
            smtp.Send(message);
            ++result.Transactions;
            if (observer != nullptr) {
                observer->TransactionSent(count);
            }
        }
    } catch (const ENetCancelled&) {
        throw ESendCancelled(result.Transactions, transactions.size());
    }
    return result;
}

}  // namespace qv
