#include "update/http_client.h"

#include <QByteArray>
#include <QEventLoop>
#include <QTimer>
#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>

#include "update/split_url.h"
#include "update/tls_socket.h"

namespace qv {

namespace {

constexpr const char* kAbortedText = "Connection aborted on request";
constexpr const char* kCantResolveText = "can't resolve hostname to IP address";
constexpr const char* kBadStatusText = "Bad HTTP status line";
constexpr const char* kBadContentLengthText = "Bad Content-Length";
constexpr const char* kTooManyRedirectsText = "Too many redirects";
constexpr const char* kBadRedirectText = "Bad redirect location";
constexpr const char* kNoResponseText = "Connection closed without a response";
constexpr const char* kWriteFailedText = "Can't write the document";
constexpr const char* kHeaderTooLongText = "HTTP header too long";
constexpr const char* kTlsFailedText = "Secure connection failed: ";
const std::string kTunnelRefusedText = "Proxy gave no tunnel: ";

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::string Lower(const std::string& text) {
    return QByteArray::fromStdString(text).toLower().toStdString();
}

std::string ErrorWithCode(int error) {
    return HttpSocketErrorText(error) + " (Error #" + std::to_string(error) + ")";
}

}  // namespace

THttpClient::THttpClient(QObject* owner, TSocketFactory socketFactory)
    : QObject(owner), socketFactory_(std::move(socketFactory)) {
    if (!socketFactory_) {
        socketFactory_ = SocketFactory();
    }
}

THttpClient::~THttpClient() {
    for (auto* socket : {socket_.get(), retiredSocket_.get()}) {
        if (socket != nullptr) {
            socket->SetEvents({});
        }
    }
}

void THttpClient::Get() {
    StartRequest(THttpRequest::Get);
}
void THttpClient::Post() {
    StartRequest(THttpRequest::Post);
}
void THttpClient::Head() {
    StartRequest(THttpRequest::Head);
}

void THttpClient::Fetch() {
    Get();
    QEventLoop loop;
    QEventLoop* outer = waitLoop_;
    waitLoop_ = &loop;
    while (state_ != THttpState::Ready) {
        loop.exec(MultiThreaded ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    }
    waitLoop_ = outer;
    if (failureCode_ != 0) {
        throw EHttpException(reason_, failureCode_);
    }
    if (status_ >= 400) {
        throw EHttpException(reason_, status_);
    }
}

void THttpClient::CheckRequestFields() const {
    for (const std::string* field :
         {&URL, &Proxy, &ProxyPort, &Username, &ProxyUsername, &Agent, &Accept, &Sender, &Reference,
          &Cookie, &ContentTypePost, &ContentRangeBegin, &ContentRangeEnd}) {
        if (HasLineBreak(*field)) {
            throw EHttpException(kHttpLineBreakText, kHttpLineBreakInRequest);
        }
    }
}

void THttpClient::StartRequest(THttpRequest type) {
    if (state_ != THttpState::Ready) {
        throw EHttpException(kHttpBusyText, kHttpBusy);
    }
    if (type == THttpRequest::Post && SendStream == nullptr) {
        throw EHttpException(kHttpNothingToPostText, kHttpNothingToPost);
    }
    CheckRequestFields();
    postData_.clear();
    if (type == THttpRequest::Post) {
        postData_.assign(std::istreambuf_iterator<char>(*SendStream),
                         std::istreambuf_iterator<char>());
    }

    ++requestId_;
    requestType_ = type;
    rcvdHeader_.clear();
    headerSize_ = 0;
    authChallenges_.clear();
    requestError_ = 0;
    failureCode_ = 0;
    status_ = 0;
    reason_.clear();
    receivedBytes_ = 0;
    contentSize_ = -1;
    contentType_.clear();
    location_ = URL;
    redirectTo_.clear();
    redirects_ = 0;
    headerBegun_ = false;
    docBegun_ = false;
    bufferLen_ = 0;
    if (!Enter(THttpState::NotConnected)) {
        return;
    }

    TUrlParts url = SplitUrl(URL);
    scheme_ = url.Scheme.empty() ? "http" : Lower(url.Scheme);
    requestHost_ = url.Host;
    requestPort_ = url.Port;
    if (!url.User.empty()) {
        Username = url.User;
    }
    if (!url.Password.empty()) {
        Password = url.Password;
    }
    tunnel_ = !Proxy.empty() && Encrypted();
    if (Proxy.empty() || tunnel_) {
        requestPath_ = url.Path;
        targetHost_ = url.Host;
        targetPort_ = url.Port.empty() ? DefaultPort() : url.Port;
    } else {
        requestPath_ =
            scheme_ + "://" + url.Host + (url.Port.empty() ? "" : ":" + url.Port) + url.Path;
    }
    if (!Proxy.empty()) {
        TUrlParts proxy = SplitUrl(Proxy);
        targetHost_ = proxy.Host;
        targetPort_ = proxy.Port.empty() ? ProxyPort : proxy.Port;
    }
    if (requestPath_.empty()) {
        requestPath_ = "/";
    }
    StartConnection();
}

void THttpClient::StartConnection() {
    if (!Enter(THttpState::Resolving)) {
        return;
    }
    if (socket_) {
        socket_->SetEvents({});
    }
    retiredSocket_ = std::move(socket_);
    socket_ = socketFactory_(scheme_);
    awaitingTunnel_ = false;
    tunnelReplied_ = false;
    socket_->SetEvents({
        [this](int error) { SocketLookupDone(error); },
        [this](int error) { SocketConnected(error); },
        [this] { SocketDataAvailable(); },
        [this](int error) { SocketClosed(error); },
        [this](int error) { SocketEncrypted(error); },
    });
    lookupPending_ = true;
    Trace("Resolving " + targetHost_);
    socket_->StartLookup(targetHost_);
}

void THttpClient::SetState(THttpState state) {
    state_ = state;
    if (OnStateChange) {
        OnStateChange(*this);
    }
    if (state != THttpState::Ready) {
        return;
    }
    if (waitLoop_ != nullptr) {
        waitLoop_->quit();
    }
    QTimer::singleShot(0, this, [this, type = requestType_, error = requestError_] {
        if (OnRequestDone) {
            OnRequestDone(*this, type, error);
        }
    });
}

bool THttpClient::Running(unsigned request) const {
    return request == requestId_ && state_ != THttpState::Ready && state_ != THttpState::Aborting;
}

bool THttpClient::Enter(THttpState state) {
    const unsigned request = requestId_;
    SetState(state);
    return Running(request);
}

bool THttpClient::Notify(const TNotifyEvent& event) {
    const unsigned request = requestId_;
    if (event) {
        event(*this);
    }
    return Running(request);
}

void THttpClient::Fail(const std::string& reason, int failureCode) {
    status_ = 404;
    reason_ = reason;
    failureCode_ = failureCode;
}

void THttpClient::CloseOrEnd() {
    if (socket_->IsOpen()) {
        socket_->Close();
    } else {
        EndRequest();
    }
}

void THttpClient::SocketLookupDone(int error) {
    lookupPending_ = false;
    if (state_ != THttpState::Resolving) {
        return;
    }
    if (error != 0) {
        requestError_ = error;
        Fail(kCantResolveText);
        EndRequest();
        return;
    }
    const unsigned request = requestId_;
    if (!Enter(THttpState::Resolved)) {
        return;
    }
    Trace("Connecting to " + socket_->LookupResult() + ":" + targetPort_);
    if (!Running(request)) {
        return;
    }
    if (int failed = socket_->Connect(socket_->LookupResult(), targetPort_); failed != 0) {
        requestError_ = failed;
        Fail("can't connect: " + ErrorWithCode(failed));
        CloseOrEnd();
    }
}

void THttpClient::SocketConnected(int error) {
    if (state_ != THttpState::Resolved) {
        return;
    }
    if (error != 0) {
        requestError_ = error;
        Fail(ErrorWithCode(error));
        CloseOrEnd();
        return;
    }
    if (!Enter(THttpState::Established) || !Notify(OnSessionConnected)) {
        return;
    }
    if (tunnel_) {
        SendConnect();
    } else if (Encrypted()) {
        StartTls();
    } else if (Enter(THttpState::AwaitingHeader)) {
        SendRequest();
    }
}

THttpRequestHead THttpClient::RequestHead() const {
    THttpRequestHead head;
    head.Type = requestType_;
    head.Path = requestPath_;
    head.Host = requestHost_;
    head.Sender = Sender;
    head.Accept = Accept;
    head.Reference = Reference;
    head.Agent = Agent;
    head.Cookie = Cookie;
    head.ContentType = ContentTypePost;
    head.ContentLength = postData_.size();
    head.NoCache = NoCache;
    head.ModifiedSince = ModifiedSince;
    head.Username = Username;
    head.Password = Password;
    // Through a tunnel the request goes to the server itself; the proxy's
    // credentials went with the CONNECT.
    head.ThroughProxy = !Proxy.empty() && !tunnel_;
    head.ProxyUsername = ProxyUsername;
    head.ProxyPassword = ProxyPassword;
    head.RangeBegin = ContentRangeBegin;
    head.RangeEnd = ContentRangeEnd;
    return head;
}

void THttpClient::SendRequest() {
    const unsigned request = requestId_;
    std::vector<std::string> lines = BuildRequestLines(RequestHead());
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
    acceptRanges_.clear();

    std::string head;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 1 && !Notify(OnRequestHeaderBegin)) {
            return;
        }
        if (OnCommand) {
            OnCommand(*this, lines[i]);
            if (!Running(request)) {
                return;
            }
        }
        if (HasLineBreak(lines[i])) {
            Fail(kHttpLineBreakText, kHttpLineBreakInRequest);
            socket_->Close();
            return;
        }
        head += lines[i] + "\r\n";
    }
    if (!Notify(OnRequestHeaderEnd)) {
        return;
    }
    if (requestType_ == THttpRequest::Post) {
        if (!Notify(OnSendBegin)) {
            return;
        }
        head += postData_;
    }
    if (socket_->Send(head.data(), head.size()) != 0) {
        socket_->Close();
        return;
    }
    if (requestType_ == THttpRequest::Post) {
        if (OnSendData) {
            OnSendData(*this, postData_.data(), postData_.size());
        }
        if (Running(request)) {
            Notify(OnSendEnd);
        }
    }
}

void THttpClient::SocketDataAvailable() {
    const unsigned request = requestId_;
    if (awaitingTunnel_) {
        ReceiveTunnelReply();
        return;
    }
    while (socket_->IsOpen() && request == requestId_) {
        if (state_ == THttpState::AwaitingBody) {
            std::size_t n = socket_->Receive(buffer_.data(), kReceiveBufferSize);
            if (n == 0) {
                break;
            }
            DeliverBody(buffer_.data(), n);
        } else if (state_ == THttpState::AwaitingHeader) {
            if (bufferLen_ == kReceiveBufferSize) {
                Fail(kHttpLineTooLongText, kHttpLineTooLong);
                socket_->Close();
                break;
            }
            std::size_t n =
                socket_->Receive(buffer_.data() + bufferLen_, kReceiveBufferSize - bufferLen_);
            if (n == 0) {
                break;
            }
            bufferLen_ += n;
            ReceiveHeader();
        } else {
            break;
        }
    }
}

void THttpClient::ReceiveHeader() {
    std::size_t start = 0;
    while (state_ == THttpState::AwaitingHeader) {
        auto* lf =
            static_cast<char*>(std::memchr(buffer_.data() + start, '\n', bufferLen_ - start));
        if (lf == nullptr) {
            break;
        }
        std::size_t end = static_cast<std::size_t>(lf - buffer_.data());
        std::size_t lineEnd = end > start && buffer_[end - 1] == '\r' ? end - 1 : end;
        LineResult result = HeaderLine(std::string(buffer_.data() + start, lineEnd - start));
        if (result == LineResult::Stop) {
            bufferLen_ = 0;
            return;
        }
        if (result != LineResult::Continue) {
            std::size_t body = result == LineResult::BodyFromLine ? start : end + 1;
            std::size_t len = bufferLen_ - body;
            bufferLen_ = 0;
            if (len > 0) {
                DeliverBody(buffer_.data() + body, len);
            }
            return;
        }
        start = end + 1;
    }
    std::memmove(buffer_.data(), buffer_.data() + start, bufferLen_ - start);
    bufferLen_ -= start;
}

THttpClient::LineResult THttpClient::HeaderLine(const std::string& line) {
    using TKind = THttpHeaderLine::TKind;
    const unsigned request = requestId_;
    if (!headerBegun_) {
        headerBegun_ = true;
        if (!Notify(OnHeaderBegin)) {
            return LineResult::Stop;
        }
    }
    const THttpHeaderLine parsed = ParseHeaderLine(line);
    if (parsed.Kind == TKind::HtmlStart) {
        if (contentType_.empty()) {
            contentType_ = "text/html";
        }
        return Enter(THttpState::AwaitingBody) && Notify(OnHeaderEnd) ? LineResult::BodyFromLine
                                                                      : LineResult::Stop;
    }
    if (parsed.Kind == TKind::End) {
        if (redirectTo_.empty()) {
            return Enter(THttpState::AwaitingBody) && Notify(OnHeaderEnd)
                       ? LineResult::BodyAfterLine
                       : LineResult::Stop;
        }
        if (!Notify(OnHeaderEnd)) {
            return LineResult::Stop;
        }
        if (redirects_ >= kMaxRedirects) {
            redirectTo_.clear();
            Fail(kTooManyRedirectsText);
        }
        socket_->Close();
        return LineResult::Stop;
    }

    headerSize_ += line.size();
    if (headerSize_ > kMaxHeaderSize) {
        Fail(kHeaderTooLongText);
        socket_->Close();
        return LineResult::Stop;
    }
    rcvdHeader_.push_back(line);
    if (parsed.Kind == TKind::Status) {
        status_ = parsed.Status;
        reason_ = parsed.Reason;
    } else if (parsed.Kind == TKind::BadStatus) {
        Fail(kBadStatusText);
    } else if (parsed.Kind == TKind::Field) {
        HeaderField(parsed);
    }
    if (!Running(request) || !Notify(OnHeaderData)) {
        return LineResult::Stop;
    }
    if (status_ >= 400) {
        // The rest of an error response is of no use.
        socket_->Close();
        return LineResult::Stop;
    }
    return LineResult::Continue;
}

void THttpClient::HeaderField(const THttpHeaderLine& field) {
    const std::string& name = field.Name;
    const std::string& value = field.Value;
    if (name == "location") {
        redirectTo_ = value;
    } else if (name == "content-length") {
        if (const auto size = ParseContentLength(value)) {
            contentSize_ = *size;
        } else {
            Fail(kBadContentLengthText);
        }
    } else if (name == "content-range") {
        if (auto range = ParseContentRange(value)) {
            ContentRangeBegin = std::move(range->first);
            ContentRangeEnd = std::move(range->second);
        }
    } else if (name == "accept-ranges") {
        acceptRanges_ = value;
    } else if (name == "content-type") {
        contentType_ = QByteArray::fromStdString(value).toLower().toStdString();
    } else if (name == "www-authenticate") {
        authChallenges_.push_back(value);
    } else if (name == "set-cookie" && OnCookie) {
        bool accept = true;
        OnCookie(*this, value, accept);
    }
}

void THttpClient::DeliverBody(const char* data, std::size_t len) {
    // A handler may have aborted the request on the way here.
    if (state_ != THttpState::AwaitingBody) {
        return;
    }
    if (!docBegun_) {
        docBegun_ = true;
        if (!Notify(OnDocBegin)) {
            return;
        }
    }
    receivedBytes_ += static_cast<long long>(len);
    if (ResponseStream != nullptr &&
        !ResponseStream->write(data, static_cast<std::streamsize>(len))) {
        Fail(kWriteFailedText);
        socket_->Close();
        return;
    }
    if (OnDocData) {
        OnDocData(*this, data, len);
    }
}

void THttpClient::SocketClosed(int error) {
    const unsigned request = requestId_;
    if (!Running(request)) {
        return;
    }
    if (error != 0) {
        requestError_ = error;
        if (status_ < 400) {
            Fail(ErrorWithCode(error));
        }
    }
    if (state_ == THttpState::AwaitingHeader && bufferLen_ > 0 && status_ < 400) {
        // The server closed in the middle of a line: take the rest as a last line.
        std::size_t len = bufferLen_;
        bufferLen_ = 0;
        std::size_t lineLen = buffer_[len - 1] == '\r' ? len - 1 : len;
        if (HeaderLine(std::string(buffer_.data(), lineLen)) == LineResult::BodyFromLine) {
            DeliverBody(buffer_.data(), len);
        }
        if (!Running(request)) {
            return;
        }
    }
    if (status_ == 0 && state_ != THttpState::AwaitingBody) {
        Fail(kNoResponseText);
    }
    if (!redirectTo_.empty() && status_ < 400) {
        Defer([this] {
            if (!ApplyRedirect()) {
                Fail(kBadRedirectText);
                EndRequest();
                return;
            }
            ++redirects_;
            Trace("Redirected to " + location_);
            if (Notify(OnLocationChange)) {
                StartConnection();
            }
        });
        return;
    }
    EndRequest();
}

bool THttpClient::ApplyRedirect() {
    std::string target = redirectTo_;
    redirectTo_.clear();
    if (HasLineBreak(target)) {
        return false;
    }
    std::string path = target;
    if (target.empty() || target[0] != '/') {
        TUrlParts url = SplitUrl(target);
        if (url.Host.empty()) {
            return false;
        }
        if (!url.Scheme.empty()) {
            // Never from an encrypted connection down to a plain one.
            if (Encrypted() && Lower(url.Scheme) != "https") {
                return false;
            }
            scheme_ = Lower(url.Scheme);
        }
        requestHost_ = url.Host;
        // An absolute address without a port means the scheme's default port.
        requestPort_ = url.Port;
        path = url.Path;
    }
    if (path.empty()) {
        path = "/";
    }
    location_ =
        scheme_ + "://" + requestHost_ + (requestPort_.empty() ? "" : ":" + requestPort_) + path;
    tunnel_ = !Proxy.empty() && Encrypted();
    if (Proxy.empty()) {
        requestPath_ = path;
        targetHost_ = requestHost_;
        targetPort_ = requestPort_.empty() ? DefaultPort() : requestPort_;
    } else {
        requestPath_ = tunnel_ ? path : location_;
    }

    status_ = 0;
    reason_.clear();
    contentSize_ = -1;
    contentType_.clear();
    rcvdHeader_.clear();
    headerSize_ = 0;
    headerBegun_ = false;
    bufferLen_ = 0;
    return true;
}

void THttpClient::EndRequest() {
    if (docBegun_) {
        docBegun_ = false;
        if (!Notify(OnDocEnd)) {
            return;
        }
    }
    Defer([this] { SetState(THttpState::Ready); });
}

void THttpClient::Defer(std::function<void()> step) {
    QTimer::singleShot(0, this, [this, request = requestId_, step = std::move(step)] {
        if (request == requestId_ && state_ != THttpState::Ready) {
            step();
        }
    });
}

// ---- https -----------------------------------------------------------------
// An https request opens a plain connection, to the server or, through a
// proxy, to the proxy, which is asked with CONNECT for a tunnel to the
// server; the connection then turns into TLS checked for the server's name,
// and the request goes through it as to the server itself. The proxy's
// credentials go with the CONNECT alone.

bool THttpClient::Encrypted() const {
    return scheme_ == "https";
}

std::string THttpClient::DefaultPort() const {
    return Encrypted() ? "443" : "80";
}

void THttpClient::SendConnect() {
    const std::string authority =
        requestHost_ + ":" + (requestPort_.empty() ? DefaultPort() : requestPort_);
    std::string head;
    for (const std::string& line :
         BuildConnectLines(authority, Agent, ProxyUsername, ProxyPassword)) {
        head += line + "\r\n";
    }
    awaitingTunnel_ = true;
    bufferLen_ = 0;
    Trace("Asking the proxy for a tunnel to " + authority);
    if (socket_->Send(head.data(), head.size()) != 0) {
        socket_->Close();
    }
}

void THttpClient::ReceiveTunnelReply() {
    while (awaitingTunnel_ && socket_->IsOpen()) {
        if (bufferLen_ == kReceiveBufferSize) {
            Fail(kHttpLineTooLongText, kHttpLineTooLong);
            socket_->Close();
            return;
        }
        const std::size_t n =
            socket_->Receive(buffer_.data() + bufferLen_, kReceiveBufferSize - bufferLen_);
        if (n == 0) {
            return;
        }
        bufferLen_ += n;
        std::size_t start = 0;
        while (awaitingTunnel_) {
            auto* lf =
                static_cast<char*>(std::memchr(buffer_.data() + start, '\n', bufferLen_ - start));
            if (lf == nullptr) {
                break;
            }
            const auto end = static_cast<std::size_t>(lf - buffer_.data());
            const std::size_t lineEnd = end > start && buffer_[end - 1] == '\r' ? end - 1 : end;
            const std::string line(buffer_.data() + start, lineEnd - start);
            start = end + 1;
            if (!TunnelReplyLine(line, bufferLen_ - start)) {
                return;
            }
        }
        std::memmove(buffer_.data(), buffer_.data() + start, bufferLen_ - start);
        bufferLen_ -= start;
    }
}

// One line of the proxy's answer to CONNECT; `after` bytes followed it.
// False once the connection is given up or handed to TLS.
bool THttpClient::TunnelReplyLine(const std::string& line, std::size_t after) {
    if (!tunnelReplied_) {
        tunnelReplied_ = true;
        const THttpHeaderLine reply = ParseHeaderLine(line);
        const bool status = reply.Kind == THttpHeaderLine::TKind::Status;
        if (status && reply.Status == 200) {
            return true;
        }
        if (status && reply.Status >= 400) {
            status_ = reply.Status;
            reason_ = reply.Reason;
        } else {
            Fail(kTunnelRefusedText + line);
        }
        awaitingTunnel_ = false;
        socket_->Close();
        return false;
    }
    if (!line.empty()) {
        return true;  // the proxy's header fields say nothing the client needs
    }
    awaitingTunnel_ = false;
    bufferLen_ = 0;
    if (after != 0) {
        // Nothing may come before the server's side of the handshake.
        Fail(kTunnelRefusedText + "data before the handshake");
        socket_->Close();
        return false;
    }
    StartTls();
    return false;
}

void THttpClient::StartTls() {
    Trace("Starting TLS for " + requestHost_);
    if (int failed = socket_->StartEncryption(requestHost_); failed != 0) {
        requestError_ = failed;
        const std::string detail = socket_->EncryptionError();
        Fail(kTlsFailedText + (detail.empty() ? ErrorWithCode(failed) : detail));
        socket_->Close();
    }
}

void THttpClient::SocketEncrypted(int error) {
    if (state_ != THttpState::Established) {
        return;
    }
    if (error != 0) {
        requestError_ = error;
        const std::string detail = socket_->EncryptionError();
        Fail(kTlsFailedText + (detail.empty() ? ErrorWithCode(error) : detail));
        CloseOrEnd();
        return;
    }
    if (Enter(THttpState::AwaitingHeader)) {
        SendRequest();
    }
}

void THttpClient::AbortRequest() {
    if (state_ == THttpState::Ready) {
        if (socket_ && socket_->IsOpen()) {
            socket_->Close();
        }
        return;
    }
    if (state_ == THttpState::Aborting) {
        return;  // called again from a handler of this abort
    }
    SetState(THttpState::Aborting);
    if (lookupPending_) {
        socket_->CancelLookup();
        lookupPending_ = false;
    }
    status_ = 404;
    reason_ = kAbortedText;
    failureCode_ = 0;
    requestError_ = kHttpAbortedError;
    redirectTo_.clear();
    if (socket_ && socket_->IsOpen()) {
        socket_->Close();
    }
    if (docBegun_ && OnDocEnd) {
        docBegun_ = false;
        OnDocEnd(*this);
    }
    SetState(THttpState::Ready);
}

void THttpClient::Trace(const std::string& text) {
    if (OnTrace) {
        OnTrace(*this, text);
    }
}

}  // namespace qv
