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

void SendGroup(TSmtpClient& smtp, TMailMessage& message, TRecipientGroup group,
               const std::string& body) {
    message.SetToo(std::move(group.To));
    message.SetCCList(std::move(group.CC));
    message.SetBCCList(std::move(group.BCC));
    message.SetText(body);
    smtp.Send(message);
}

}  // namespace

std::string ConnectingText(std::string_view host) {
    return "Connecting to " + std::string(host) + "...";
}

std::string SendingText(std::size_t number, std::size_t total, std::size_t recipients) {
    return "Sending transaction " + std::to_string(number) + " of " + std::to_string(total) +
           " (" + std::to_string(recipients) + " recipients)";
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

std::vector<TRecipientGroup> TransactionGroups(const TSendRequest& request) {
    TRecipientGroup all{SplitRecipientField(request.To), SplitRecipientField(request.CC),
                        SplitRecipientField(request.BCC)};
    const int max = std::max(request.MaxRecipients, 1);
    std::vector<TRecipientGroup> groups;
    if (all.Count() >= static_cast<std::size_t>(max)) {
        groups = SplitIntoGroups(all.To, all.CC, all.BCC, max);
    } else {
        groups.push_back(std::move(all));
    }
    if (request.CopyToSender) {
        groups.front().BCC.push_back(request.From);
    }
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
    if (request.HideFrom) {
        message.SetFrom("");
        message.SetReplyTo("");
    } else {
        message.SetReplyTo(message.From());
    }

    std::vector<TRecipientGroup> groups = TransactionGroups(request);
    TDeliveryResult result;
    // The sender's copy does not count: the entries the user typed decide.
    const std::size_t entries = SplitRecipientField(request.To).size() +
                                SplitRecipientField(request.CC).size() +
                                SplitRecipientField(request.BCC).size();
    result.SplitSending = entries >= static_cast<std::size_t>(std::max(request.MaxRecipients, 1));

    // Every entry is checked before the first command goes out.
    TRecipientGroup all;
    for (const TRecipientGroup& group : groups) {
        all.To.insert(all.To.end(), group.To.begin(), group.To.end());
        all.CC.insert(all.CC.end(), group.CC.begin(), group.CC.end());
        all.BCC.insert(all.BCC.end(), group.BCC.begin(), group.BCC.end());
    }
    message.SetToo(std::move(all.To));
    message.SetCCList(std::move(all.CC));
    message.SetBCCList(std::move(all.BCC));
    smtp.CheckMessage(message);

    try {
        if (observer != nullptr) {
            observer->Connecting(smtp.Host());
        }
        ConnectWithRetry(smtp);
        for (TRecipientGroup& group : groups) {
            const std::size_t count = group.Count();
            if (observer != nullptr) {
                observer->SendingTransaction(result.Transactions + 1, groups.size(), count);
            }
            SendGroup(smtp, message, std::move(group), body);
            ++result.Transactions;
            if (observer != nullptr) {
                observer->TransactionSent(count);
            }
        }
    } catch (const ENetCancelled&) {
        throw ESendCancelled(result.Transactions, groups.size());
    }
    return result;
}

}  // namespace qv
