#include "mail/smtp_client.h"

#include <algorithm>
#include <cstring>

#include "base/trim.h"
#include "mail/net_errors.h"

namespace qv {

namespace {

using TClock = std::chrono::steady_clock;

// Held output goes out once it reaches this size, so a large attachment is
// not kept in memory whole.
constexpr std::size_t kFlushSize = 64 * 1024;

// A reply line, or a multi-line reply, longer than this is not SMTP;
// refusing it keeps a broken server from filling memory.
constexpr std::size_t kMaxReply = 1024 * 1024;

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

int ParseReplyCode(std::string_view text) {
    if (text.starts_with("+OK")) {
        return 1;
    }
    if (text.starts_with("-ERR")) {
        return 0;
    }
    std::string_view digits = text.substr(0, 3);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    int code = 0;
    for (char c : digits) {
        code = code * 10 + (c - '0');
    }
    return code;
}

TNetTimeout Remaining(TClock::time_point deadline) {
    auto left = std::chrono::duration_cast<TNetTimeout>(deadline - TClock::now());
    return std::max(left, TNetTimeout::zero());
}

void CheckNoLineBreak(std::string_view what, std::string_view value) {
    if (HasLineBreak(value)) {
        throw ELineBreakInField(std::string(what) +
                                " contains a line break; the message was not sent.");
    }
}

}  // namespace

TNetComponent::TNetComponent(std::shared_ptr<INetConnector> connector)
    : FConnector(connector ? std::move(connector) : std::make_shared<TPosixConnector>()) {}

void TNetSocket::AttachSocket(std::unique_ptr<INetStream> socket) {
    FReceive.assign(static_cast<std::size_t>(FBufferChunk), '\0');
    FFilled = 0;
    FPending.clear();
    FHold = false;
    FSocket = std::move(socket);
}

void TNetSocket::CloseSocket() noexcept {
    if (FSocket) {
        FSocket->Close();
        FSocket.reset();
    }
    FReceive.clear();
    FReceive.shrink_to_fit();
    FFilled = 0;
    FPending.clear();
    FHold = false;
}

void TNetSocket::WriteLine(std::string_view line) {
    if (!Connected()) {
        throw ENetClosedSocket();
    }
    if (HasLineBreak(line)) {
        throw ELineBreakInField("A line to be written contains a line break.");
    }
    FPending += line;
    FPending += "\r\n";
    if (!FHold || FPending.size() >= kFlushSize) {
        Flush();
    }
}

void TNetSocket::Flush() {
    if (FPending.empty()) {
        return;
    }
    if (!Connected()) {
        throw ENetClosedSocket();
    }
    try {
        FSocket->Write(FPending, FReplyTimeout);
    } catch (const ENetSocketError&) {
        CloseSocket();
        throw;
    }
    FPending.clear();
}

void TNetSocket::HoldWrites(bool hold) {
    FHold = hold;
    if (!hold) {
        Flush();
    }
}

void TNetSocket::FillReceiveBuffer(TClock::time_point deadline) {
    std::size_t chunk = static_cast<std::size_t>(FBufferChunk);
    std::size_t free = FReceive.size() - FFilled;
    if (free == 0 || 2 * free < FFilled) {
        FReceive.resize(FReceive.size() + chunk);
    } else if (free > 2 * chunk && FReceive.size() > 2 * chunk) {
        FReceive.resize(FReceive.size() - chunk);
    }
    try {
        FFilled += FSocket->Read(std::span<char>(FReceive).subspan(FFilled), Remaining(deadline));
    } catch (const ENetSocketError&) {
        CloseSocket();
        throw;
    }
}

std::string TNetSocket::ReadLine(TClock::time_point deadline) {
    std::size_t scanned = 0;
    for (;;) {
        if (!Connected()) {
            throw ENetClosedSocket();
        }
        std::string_view filled(FReceive.data(), FFilled);
        std::size_t end = filled.find("\r\n", scanned);
        if (end != std::string_view::npos) {
            std::string line(filled.substr(0, end));
            std::size_t consumed = end + 2;
            std::memmove(FReceive.data(), FReceive.data() + consumed, FFilled - consumed);
            FFilled -= consumed;
            return line;
        }
        if (FFilled > kMaxReply) {
            CloseSocket();
            throw ENetSocketError(sockerr::kMessageTooLong);
        }
        scanned = FFilled > 0 ? FFilled - 1 : 0;
        FillReceiveBuffer(deadline);
    }
}

std::string TNetSocket::ReadReplyLine(TClock::time_point deadline) {
    for (;;) {
        std::string line(TrimControlsAndSpaces(ReadLine(deadline)));
        if (!line.empty()) {
            return line;
        }
    }
}

void TNetSocket::ReadReply() {
    Flush();
    auto deadline = TClock::now() + FReplyTimeout;
    FReplyLines.clear();
    FReplyLines.push_back(ReadReplyLine(deadline));
    const std::string& first = FReplyLines.front();
    if (first.size() > 3 && first[3] == '-') {
        std::string code = first.substr(0, 3);
        std::size_t total = first.size();
        for (;;) {
            std::string line = ReadReplyLine(deadline);
            total += line.size();
            if (total > kMaxReply) {
                CloseSocket();
                throw ENetSocketError(sockerr::kMessageTooLong);
            }
            // A last line of the bare code ends the reply too.
            bool last = line == code || line.starts_with(code + " ");
            FReplyLines.push_back(std::move(line));
            if (last) {
                break;
            }
        }
    }
    FReplyText = FReplyLines.back();
    FReplyCode = ParseReplyCode(FReplyText);
}

void TNetSocket::SendCommand(std::string_view line, int expected) {
    if (!line.empty()) {
        WriteLine(line);
    }
    ReadReply();
    if (expected >= 0 && FReplyCode != expected) {
        throw ENetResponseError(FReplyText);
    }
}

void TNetClient::OpenSocket() {
    if (Connected()) {
        throw ENetAlreadyConnected();
    }
    TConnectOptions options;
    options.UseNagle = UseNagle();
    options.Timeout = FConnectTimeout;
    AttachSocket(Connector().Open(FHost, Port(), options));
}

void TMessageClient::WriteMessage(const TMailMessage& message) {
    HoldWrites(true);
    message.WriteHeaderLines(*this);
    message.WriteBodyLines(*this);
}

TSmtpClient::TSmtpClient(std::shared_ptr<INetConnector> connector)
    : TMessageClient(std::move(connector)) {
    SetPort(25);
}

TSmtpClient::~TSmtpClient() {
    if (Connected()) {
        try {
            Disconnect();
        } catch (const std::exception&) {
            // The connection is closed either way; nothing is left to report to.
        }
    }
}

void TSmtpClient::Connect() {
    OpenSocket();
    try {
        ReadReply();
        if (ReplyCode() != 220) {
            throw ENetConnectRefused(ReplyText());
        }
        SendCommand("Helo " + LocalHostName(), 250);
    } catch (...) {
        try {
            Disconnect();
        } catch (const std::exception&) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
}

void TSmtpClient::Disconnect() {
    if (Connected()) {
        try {
            WriteLine("Quit");
        } catch (...) {
            CloseSocket();
            throw;
        }
    }
    CloseSocket();
}

std::string SenderAddress(const TMailMessage& message) {
    std::string from = message.From();
    if (from.empty()) {
        return {};
    }
    std::string address = TMailMessage::ExtractAddress(from);
    if (address.empty()) {
        throw EMissingSender();
    }
    return address;
}

void TSmtpClient::CheckMessage(const TMailMessage& message) const {
    SenderAddress(message);
    for (const THeaderEntry& header : message.Headers()) {
        CheckNoLineBreak("The " + header.Name + " header", header.Value);
    }
    CheckNoLineBreak("The X-Mailer text", XProgram());
    for (const std::string& group : message.Newsgroups()) {
        CheckNoLineBreak("A newsgroup name", group);
    }
    for (const TAttachment& attachment : message.Attachments()) {
        CheckNoLineBreak("The attachment name \"" + attachment.PathName + "\"",
                         attachment.FileName);
    }
    const std::pair<const char*, const TStringList*> lists[] = {
        {"BCC", &message.BCCList()}, {"CC", &message.CCList()}, {"To", &message.Too()}};
    for (const auto& [role, list] : lists) {
        for (const std::string& entry : *list) {
            CheckNoLineBreak(std::string("A ") + role + " recipient entry", entry);
            if (TMailMessage::ExtractAddress(entry).find('@') == std::string::npos) {
                throw EInvalidRecipient(std::string("The ") + role + " recipient \"" + entry +
                                        "\" has no address with \"@\"; the message was not "
                                        "sent.");
            }
        }
    }
}

void TSmtpClient::Send(TMailMessage& message) {
    CheckMessage(message);
    std::string sender = SenderAddress(message);
    if (TrimControlsAndSpaces(message.Subject()).empty()) {
        message.SetSubject("None");
    }
    bool openedHere = !Connected();
    if (openedHere) {
        Connect();
    }
    try {
        Transaction(message, sender);
    } catch (...) {
        if (openedHere) {
            try {
                Disconnect();
            } catch (const std::exception&) {
                // The transaction's failure is the one worth reporting.
            }
        }
        throw;
    }
    if (openedHere) {
        Disconnect();
    }
}

void TSmtpClient::Transaction(TMailMessage& message, const std::string& sender) {
    SendCommand("Rset", 250);
    SendCommand("Mail from:<" + sender + ">", 250);
    for (const TStringList* list : {&message.BCCList(), &message.CCList(), &message.Too()}) {
        for (const std::string& entry : *list) {
            SendCommand("RCPT to:<" + TMailMessage::ExtractAddress(entry) + ">", 250);
        }
    }
    SendCommand("Data", 354);
    try {
        message.PrepareHeaders();
        message.SetHeader("Newsgroups", TMailMessage::JoinAddressList(message.Newsgroups()));
        message.SetHeader("To", TMailMessage::JoinAddressList(message.Too()));
        message.SetHeader("Cc", TMailMessage::JoinAddressList(message.CCList()));
        message.SetHeader("X-Library", "QvMail " + std::string(kMailLibraryVersion));
        message.SetHeader("X-Mailer", XProgram());
        WriteMessage(message);
        WriteLine(".");
        HoldWrites(false);
    } catch (...) {
        CloseSocket();
        throw;
    }
    SendCommand("", 250);
}

}  // namespace qv
