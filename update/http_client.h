// THttpClient: an HTTP/1.0 client fetching one document per connection,
// directly or through an HTTP proxy, driven by the thread's event loop. An
// https address goes over TLS, checked against the system's certificate
// authorities (see update/tls_socket.h), through a proxy by a CONNECT tunnel;
// a redirect from https to plain http fails the request.
//
// Use from one thread, which must run a Qt event loop (a QCoreApplication or
// QApplication must exist). The client owns its socket and receive buffer;
// it never owns ResponseStream or SendStream, which must outlive the request.
// Handlers may call AbortRequest; starting another request from a handler
// while one runs raises "HTTP component is busy". Do not destroy the client
// while its Fetch waits: abort the request and let Fetch return first.
#pragma once

#include <QDateTime>
#include <QEventLoop>
#include <QObject>
#include <array>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "update/event_socket.h"
#include "update/http_errors.h"
#include "update/http_request.h"

namespace qv {

enum class THttpState {
    Ready = 0,
    NotConnected = 1,
    Established = 2,
    Resolving = 3,
    Resolved = 4,
    AwaitingHeader = 5,
    AwaitingBody = 6,
    Aborting = 7,
};

// The request's error code reported by OnRequestDone after an abort.
inline constexpr int kHttpAbortedError = 3;
// Redirects followed for one request before it fails.
inline constexpr int kMaxRedirects = 10;
// Size of the receive buffer: the longest header line and the largest body
// block handed over at once.
inline constexpr std::size_t kReceiveBufferSize = 8192;
// Header text kept for one response; a server sending more fails the request
// rather than filling memory.
inline constexpr std::size_t kMaxHeaderSize = 256 * 1024;

class THttpClient : public QObject {
  public:
    using TNotifyEvent = std::function<void(THttpClient& sender)>;
    using TDocDataEvent =
        std::function<void(THttpClient& sender, const char* buffer, std::size_t len)>;
    using THttpRequestDone =
        std::function<void(THttpClient& sender, THttpRequest rqType, int error)>;
    using TCookieRcvdEvent =
        std::function<void(THttpClient& sender, const std::string& data, bool& accept)>;
    using TCommandEvent = std::function<void(THttpClient& sender, std::string& line)>;
    using TTraceEvent = std::function<void(THttpClient& sender, const std::string& text)>;

    // The factory makes one socket per connection; by default a TEventSocket.
    explicit THttpClient(QObject* owner = nullptr, TSocketFactory socketFactory = {});
    ~THttpClient() override;

    // Settings, read when a request starts.
    std::string URL;
    std::string Proxy;  // host or host:port; non-empty sends requests through it
    std::string ProxyPort = "80";
    std::string ProxyUsername, ProxyPassword;
    std::string Username, Password;
    std::string Agent = "Mozilla/3.0 (compatible)";
    std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    std::string Sender;
    std::string Reference;
    bool NoCache = false;
    QDateTime ModifiedSince;  // sent when valid, as given (no time zone conversion)
    std::string Cookie;
    std::string ContentTypePost = "application/x-www-form-urlencoded";
    std::string ContentRangeBegin, ContentRangeEnd;  // cleared once a request is sent
    // When on, Fetch waits without processing user input.
    bool MultiThreaded = false;
    std::ostream* ResponseStream = nullptr;
    std::istream* SendStream = nullptr;  // the data to post

    // Events, called on the client's thread.
    TTraceEvent OnTrace;
    TNotifyEvent OnSessionConnected;
    TNotifyEvent OnHeaderData;
    TCommandEvent OnCommand;  // may rewrite each line of the head, the blank one too
    TNotifyEvent OnHeaderBegin, OnHeaderEnd;
    TNotifyEvent OnRequestHeaderBegin, OnRequestHeaderEnd;
    TNotifyEvent OnDocBegin;
    TDocDataEvent OnDocData;
    TNotifyEvent OnDocEnd;
    TNotifyEvent OnSendBegin;
    TDocDataEvent OnSendData;
    TNotifyEvent OnSendEnd;
    TNotifyEvent OnStateChange;
    THttpRequestDone OnRequestDone;
    TNotifyEvent OnLocationChange;
    TCookieRcvdEvent OnCookie;

    // Starts a request and returns at once; OnRequestDone reports its end.
    // Raise EHttpException when busy, when there is nothing to post, or when
    // a field that reaches the request head holds a line break.
    void Get();
    void Post();
    void Head();
    // Starts a GET and runs a nested event loop until it ends, for qvtool and
    // tests only: windows call Get and wait for OnRequestDone. Raises
    // EHttpException(ResponseReason, ResponseStatus) for a status of 400 or
    // more, and EHttpException("HTTP line too long", 4) for an overlong line.
    void Fetch();
    // Ends the request in progress with 404 "Connection aborted on request".
    void AbortRequest();

    // State of the current or last request.
    THttpState HttpState() const { return state_; }
    int ResponseStatus() const { return status_; }
    const std::string& ResponseReason() const { return reason_; }
    long long ContentSize() const { return contentSize_; }  // -1 without Content-Length
    long long ReceivedBytes() const { return receivedBytes_; }
    const std::string& ContentType() const { return contentType_; }
    const std::vector<std::string>& RcvdHeader() const { return rcvdHeader_; }
    const std::vector<std::string>& AuthChallenges() const { return authChallenges_; }
    const std::string& AcceptRanges() const { return acceptRanges_; }
    const std::string& RequestPath() const { return requestPath_; }
    const std::string& RequestHost() const { return requestHost_; }
    const std::string& TargetHost() const { return targetHost_; }
    const std::string& TargetPort() const { return targetPort_; }
    const std::string& Location() const { return location_; }
    THttpRequest RequestType() const { return requestType_; }
    int RequestError() const { return requestError_; }

  private:
    enum class LineResult { Continue, BodyFromLine, BodyAfterLine, Stop };

    void StartRequest(THttpRequest type);
    void CheckRequestFields() const;
    void StartConnection();
    void SetState(THttpState state);
    // Handlers may abort the request or start another; the socket events stop
    // acting on a request once it no longer runs.
    bool Running(unsigned request) const;
    // SetState, or fire a notification; both return Running for the request
    // current before the call.
    bool Enter(THttpState state);
    bool Notify(const TNotifyEvent& event);
    void Fail(const std::string& reason, int failureCode = 0);
    void CloseOrEnd();

    void SocketLookupDone(int error);
    void SocketConnected(int error);
    void SocketDataAvailable();
    void SocketClosed(int error);
    void SocketEncrypted(int error);

    bool Encrypted() const;  // the current location is https
    std::string DefaultPort() const;
    void SendConnect();
    void ReceiveTunnelReply();
    bool TunnelReplyLine(const std::string& line, std::size_t after);
    void StartTls();

    THttpRequestHead RequestHead() const;
    void SendRequest();
    void ReceiveHeader();
    LineResult HeaderLine(const std::string& line);
    void HeaderField(const THttpHeaderLine& field);
    bool ApplyRedirect();
    void DeliverBody(const char* data, std::size_t len);
    void EndRequest();
    void Defer(std::function<void()> step);
    void Trace(const std::string& text);

    TSocketFactory socketFactory_;
    std::unique_ptr<IEventSocket> socket_;
    // The socket of the previous connection, kept until the next one is made
    // so that it is never destroyed inside one of its own events.
    std::unique_ptr<IEventSocket> retiredSocket_;
    std::array<char, kReceiveBufferSize + 1> buffer_{};
    std::size_t bufferLen_ = 0;

    THttpState state_ = THttpState::Ready;
    THttpRequest requestType_ = THttpRequest::Get;
    unsigned requestId_ = 0;
    int status_ = 0;
    std::string reason_;
    int failureCode_ = 0;
    int requestError_ = 0;
    long long contentSize_ = -1;
    long long receivedBytes_ = 0;
    std::string contentType_;
    std::vector<std::string> rcvdHeader_;
    std::size_t headerSize_ = 0;
    std::vector<std::string> authChallenges_;
    std::string acceptRanges_;
    std::string scheme_;
    bool tunnel_ = false;          // https through the proxy: CONNECT first
    bool awaitingTunnel_ = false;  // the proxy has not answered the CONNECT yet
    bool tunnelReplied_ = false;   // its status line has come
    std::string requestPath_, requestHost_, requestPort_;
    std::string targetHost_, targetPort_;
    std::string location_;
    std::string redirectTo_;
    int redirects_ = 0;
    bool lookupPending_ = false;
    bool headerBegun_ = false;
    bool docBegun_ = false;
    std::string postData_;
    QEventLoop* waitLoop_ = nullptr;
};

}  // namespace qv
