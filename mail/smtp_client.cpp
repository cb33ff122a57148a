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

// Pipelined commands go out in groups of at most this many before their
// replies are read, so that the replies waiting in the server's buffers stay
// small and neither side can block the other however many recipients a
// transaction has. 128 keeps a transaction of up to 125 recipients in one
// group.
constexpr std::size_t kPipelineGroup = 128;

bool IsRecipientCommand(std::string_view command) {
    return command.starts_with("RCPT ");
}

// 251 ("user not local; will forward") accepts a recipient as 250 does.
bool Accepted(std::string_view command, int code) {
    if (IsRecipientCommand(command)) {
        return code == 250 || code == 251;
    }
    if (command == "Data") {
        return code == 354;
    }
    return code == 250;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// The words of an EHLO extension line in capitals: the keyword and its
// parameters. "AUTH PLAIN LOGIN" and the old form "AUTH=PLAIN LOGIN" both give
// AUTH, PLAIN, LOGIN.
TStringList ExtensionWords(std::string_view line) {
    TStringList words;
    std::string upper = UpperCase(line);
    std::size_t start = 0;
    while ((start = upper.find_first_not_of(" =", start)) != std::string::npos) {
        std::size_t end = words.empty() ? upper.find_first_of(" =", start)
                                        : upper.find(' ', start);
        words.push_back(upper.substr(start, end - start));
        start = end;
    }
    return words;
}

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
    : connector_(connector ? std::move(connector) : std::make_shared<TPosixConnector>()) {}

void TNetSocket::AttachSocket(std::unique_ptr<INetStream> socket) {
    FReceive.assign(static_cast<std::size_t>(bufferChunk_), '\0');
    filled_ = 0;
    pending_.clear();
    hold_ = false;
    socket_ = std::move(socket);
}

void TNetSocket::CloseSocket() noexcept {
    if (socket_) {
        socket_->Close();
        socket_.reset();
    }
    FReceive.clear();
    FReceive.shrink_to_fit();
    filled_ = 0;
    pending_.clear();
    hold_ = false;
}

std::unique_ptr<INetStream> TNetSocket::DetachSocket() {
    Flush();
    std::unique_ptr<INetStream> socket = std::move(socket_);
    CloseSocket();
    return socket;
}

void TNetSocket::WriteLine(std::string_view line) {
    if (!Connected()) {
        throw ENetClosedSocket();
    }
    if (HasLineBreak(line)) {
        throw ELineBreakInField("A line to be written contains a line break.");
    }
    pending_ += line;
    pending_ += "\r\n";
    if (!hold_ || pending_.size() >= kFlushSize) {
        Flush();
    }
}

void TNetSocket::Flush() {
    if (pending_.empty()) {
        return;
    }
    if (!Connected()) {
        throw ENetClosedSocket();
    }
    try {
        socket_->Write(pending_, replyTimeout_);
    } catch (...) {
        // A stream that failed, or was cancelled, is in an unknown state.
        CloseSocket();
        throw;
    }
    pending_.clear();
}

void TNetSocket::HoldWrites(bool hold) {
    hold_ = hold;
    if (!hold) {
        Flush();
    }
}

void TNetSocket::FillReceiveBuffer(TClock::time_point deadline) {
    std::size_t chunk = static_cast<std::size_t>(bufferChunk_);
    std::size_t free = FReceive.size() - filled_;
    if (free == 0 || 2 * free < filled_) {
        FReceive.resize(FReceive.size() + chunk);
    } else if (free > 2 * chunk && FReceive.size() > 2 * chunk) {
        FReceive.resize(FReceive.size() - chunk);
    }
    try {
        filled_ += socket_->Read(std::span<char>(FReceive).subspan(filled_), Remaining(deadline));
    } catch (...) {
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
        std::string_view filled(FReceive.data(), filled_);
        std::size_t end = filled.find("\r\n", scanned);
        if (end != std::string_view::npos) {
            std::string line(filled.substr(0, end));
            std::size_t consumed = end + 2;
            std::memmove(FReceive.data(), FReceive.data() + consumed, filled_ - consumed);
            filled_ -= consumed;
            return line;
        }
        if (filled_ > kMaxReply) {
            CloseSocket();
            throw ENetSocketError(sockerr::kMessageTooLong);
        }
        scanned = filled_ > 0 ? filled_ - 1 : 0;
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
    auto deadline = TClock::now() + replyTimeout_;
    replyLines_.clear();
    replyLines_.push_back(ReadReplyLine(deadline));
    const std::string& first = replyLines_.front();
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
            replyLines_.push_back(std::move(line));
            if (last) {
                break;
            }
        }
    }
    replyText_ = replyLines_.back();
    replyCode_ = ParseReplyCode(replyText_);
}

void TNetSocket::SendCommand(std::string_view line, int expected) {
    if (!line.empty()) {
        WriteLine(line);
    }
    ReadReply();
    if (expected >= 0 && replyCode_ != expected) {
        throw ENetResponseError(replyText_);
    }
}

void TNetClient::OpenSocket() {
    if (Connected()) {
        throw ENetAlreadyConnected();
    }
    TConnectOptions options;
    options.UseNagle = UseNagle();
    options.Timeout = connectTimeout_;
    options.Cancel = CancelHandle();
    AttachSocket(Connector().Open(host_, Port(), options));
}

void TNetClient::SecureSocket(const std::string& caFile) {
    TNetTlsOptions options;
    options.CaFile = caFile;
    options.Timeout = ReplyTimeout();
    AttachSocket(Connector().StartTls(DetachSocket(), host_, options));
}

void TMessageClient::WriteMessage(const TMailMessage& message) {
    HoldWrites(true);
    message.WriteHeaderLines(*this);
    message.WriteBodyLines(*this);
}

std::optional<TSmtpSecurity> SmtpSecurityFromInt(int value) {
    if (value < 0 || value > 3) {
        return std::nullopt;
    }
    return static_cast<TSmtpSecurity>(value);
}

int UsualSmtpPort(TSmtpSecurity security) {
    switch (security) {
        case TSmtpSecurity::None:
            return 25;
        case TSmtpSecurity::StartTlsIfOffered:
        case TSmtpSecurity::StartTlsRequired:
            return 587;
        case TSmtpSecurity::Tls:
            return 465;
    }
    return 25;
}

TSmtpClient::TSmtpClient(std::shared_ptr<INetConnector> connector)
    : TMessageClient(std::move(connector)) {
    SetPort(25);
}

void TSmtpClient::SetAccount(const TSmtpAccount& account) {
    SetHost(account.Host);
    SetPort(account.Port);
    security_ = account.Security;
    userID_ = account.User;
    password_ = account.Password;
    caFile_ = account.CaFile;
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
    greeting_.clear();
    extended_ = false;
    extensions_.clear();
    authMechanism_.clear();
    OpenSocket();
    try {
        if (security_ == TSmtpSecurity::Tls) {
            SecureSocket(caFile_);
        }
        ReadReply();
        greeting_ = ReplyText();
        if (ReplyCode() != 220) {
            throw ENetConnectRefused(ReplyText());
        }
        if (security_ == TSmtpSecurity::None && password_.empty()) {
            SendCommand("Helo " + LocalHostName(), 250);
            return;
        }
        Greet();
        if (security_ == TSmtpSecurity::StartTlsIfOffered ||
            security_ == TSmtpSecurity::StartTlsRequired) {
            if (Offers("STARTTLS")) {
                SendCommand("STARTTLS", 220);
                SecureSocket(caFile_);
                // What the server offered before TLS may have been forged.
                Greet();
            } else if (security_ == TSmtpSecurity::StartTlsRequired) {
                throw ESmtpStartTlsMissing();
            }
        }
        if (!password_.empty()) {
            Authenticate();
        }
    } catch (...) {
        try {
            Disconnect();
        } catch (const std::exception&) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
}

void TSmtpClient::Greet() {
    const std::string host = LocalHostName();
    SendCommand("EHLO " + host, -1);
    extensions_.clear();
    if (ReplyCode() == 250) {
        extended_ = true;
        // The first line names the server; each further one is an extension.
        const TStringList& lines = ReplyLines();
        for (std::size_t i = 1; i < lines.size(); ++i) {
            extensions_.push_back(lines[i].size() > 4 ? lines[i].substr(4) : std::string());
        }
        return;
    }
    extended_ = false;
    SendCommand("Helo " + host, 250);
}

bool TSmtpClient::Offers(std::string_view keyword) const {
    const std::string wanted = UpperCase(keyword);
    return std::any_of(extensions_.begin(), extensions_.end(), [&](const std::string& line) {
        TStringList words = ExtensionWords(line);
        return !words.empty() && words.front() == wanted;
    });
}

void TSmtpClient::CheckAuthReply(int expected) {
    if (ReplyCode() != expected) {
        throw ESmtpAuthRefused(ReplyText());
    }
}

void TSmtpClient::Authenticate() {
    if (security_ != TSmtpSecurity::None && TlsInfo() == nullptr) {
        throw ESmtpAuthNeedsTls();
    }
    bool plain = false;
    bool login = false;
    for (const std::string& line : extensions_) {
        TStringList words = ExtensionWords(line);
        if (words.empty() || words.front() != "AUTH") {
            continue;
        }
        plain = plain || std::find(words.begin() + 1, words.end(), "PLAIN") != words.end();
        login = login || std::find(words.begin() + 1, words.end(), "LOGIN") != words.end();
    }
    // The credentials travel as base64, so no character of them can end a
    // command line early.
    if (plain) {
        authMechanism_ = "PLAIN";
        std::string credentials = std::string(1, '\0') + userID_ + '\0' + password_;
        WriteLine("AUTH PLAIN " + EncodeBase64(credentials));
        ReadReply();
        CheckAuthReply(235);
    } else if (login) {
        authMechanism_ = "LOGIN";
        WriteLine("AUTH LOGIN");
        ReadReply();
        CheckAuthReply(334);
        WriteLine(EncodeBase64(userID_));
        ReadReply();
        CheckAuthReply(334);
        WriteLine(EncodeBase64(password_));
        ReadReply();
        CheckAuthReply(235);
    } else {
        throw ESmtpAuthUnsupported();
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
    TStringList commands = {"Rset", "Mail from:<" + sender + ">"};
    for (const TStringList* list : {&message.BCCList(), &message.CCList(), &message.Too()}) {
        for (const std::string& entry : *list) {
            commands.push_back("RCPT to:<" + TMailMessage::ExtractAddress(entry) + ">");
        }
    }
    commands.push_back("Data");
    if (Offers("PIPELINING")) {
        PipelinedEnvelope(commands);
    } else {
        for (const std::string& command : commands) {
            SendCommand(command, -1);
            if (!Accepted(command, ReplyCode())) {
                throw ENetResponseError(ReplyText());
            }
        }
    }
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

void TSmtpClient::PipelinedEnvelope(const TStringList& commands) {
    std::optional<std::string> refusal;
    bool dataAccepted = false;
    for (std::size_t first = 0; first < commands.size() && !refusal; first += kPipelineGroup) {
        std::size_t end = std::min(commands.size(), first + kPipelineGroup);
        HoldWrites(true);
        for (std::size_t i = first; i < end; ++i) {
            WriteLine(commands[i]);
        }
        HoldWrites(false);
        // Every reply of the group is read, refused or not, so that the next
        // reply read belongs to the next command.
        for (std::size_t i = first; i < end; ++i) {
            ReadReply();
            bool accepted = Accepted(commands[i], ReplyCode());
            if (!accepted && !refusal) {
                refusal = ReplyText();
            }
            dataAccepted = commands[i] == "Data" && accepted;
        }
    }
    if (refusal) {
        if (dataAccepted) {
            // The server now waits for message data; only closing ends that
            // without delivering anything.
            CloseSocket();
        }
        throw ENetResponseError(*refusal);
    }
}

}  // namespace qv
