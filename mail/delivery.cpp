#include "mail/delivery.h"

#include <algorithm>
#include <exception>

#include "base/trim.h"
#include "mail/net_errors.h"

namespace qv {

namespace {

constexpr std::string_view kEmailLabel = "email:          ";

void ConnectWithRetry(TSmtpClient& smtp) {
    try {
        smtp.Connect();
        return;
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
    } catch (const std::exception&) {
        throw ESmtpConnectFailed(std::current_exception());
    }
}

void SendGroup(TSmtpClient& smtp, TMailMessage& message, TRecipientGroup group,
               const std::string& body, IDeliveryObserver* observer) {
    std::size_t count = group.Count();
    message.SetToo(std::move(group.To));
    message.SetCCList(std::move(group.CC));
    message.SetBCCList(std::move(group.BCC));
    message.SetText(body);
    smtp.Send(message);
    if (observer != nullptr) {
        observer->TransactionSent(count);
    }
}

}  // namespace

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
    if (request.UseContact) {
        return BuildContactBlock(request.Contact, request.From) + request.MessageText;
    }
    if (request.HideFrom) {
        return std::string(kEmailLabel) + request.From + "\r\n\r\n" + request.MessageText;
    }
    return request.MessageText;
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

TDeliveryResult DeliverMessage(TSmtpClient& smtp, TMailMessage& message,
                               const TSendRequest& request, IDeliveryObserver* observer) {
    message.ClearAttachments();
    message.SetFrom(request.From);
    message.SetSubject(request.Subject);
    for (const std::string& path : request.Attachments) {
        message.AddAttachment(path);
    }
    const std::string body = BuildMessageBody(request);
    TRecipientGroup all{SplitRecipientField(request.To), SplitRecipientField(request.CC),
                        SplitRecipientField(request.BCC)};
    if (request.HideFrom) {
        message.SetFrom("");
        message.SetReplyTo("");
    } else {
        message.SetReplyTo(message.From());
    }

    // Every entry is checked before the first command goes out.
    message.SetToo(all.To);
    message.SetCCList(all.CC);
    message.SetBCCList(all.BCC);
    smtp.CheckMessage(message);

    ConnectWithRetry(smtp);

    const int max = std::max(request.MaxRecipients, 1);
    TDeliveryResult result;
    if (all.Count() < static_cast<std::size_t>(max)) {
        SendGroup(smtp, message, std::move(all), body, observer);
        result.Transactions = 1;
        return result;
    }
    result.SplitSending = true;
    for (TRecipientGroup& group : SplitIntoGroups(all.To, all.CC, all.BCC, max)) {
        SendGroup(smtp, message, std::move(group), body, observer);
        ++result.Transactions;
    }
    return result;
}

}  // namespace qv
