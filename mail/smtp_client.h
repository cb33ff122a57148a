// TSmtpClient and the classes it is built from: a blocking SMTP client that
// greets the server, secures and authenticates the session as its account
// asks, delivers TMailMessage objects in complete transactions and ends the
// session. Every operation runs on the calling thread and waits for the
// server's reply; an instance is used from one thread at a time, except for
// Cancel(), which any thread may call.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_message.h"
#include "mail/net_stream.h"

namespace qv {

// Owns the stream while connected and the connector that opens it.
class TNetComponent {
  public:
    // nullptr takes blocking POSIX sockets.
    explicit TNetComponent(std::shared_ptr<INetConnector> connector = nullptr);
    virtual ~TNetComponent() = default;
    TNetComponent(const TNetComponent&) = delete;
    TNetComponent& operator=(const TNetComponent&) = delete;

    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    // True while a stream is open.
    bool Connected() const { return socket_ != nullptr; }

    // Ends the operation in progress on another thread, and every later one,
    // by closing the connection: they raise ENetCancelled. Safe from any
    // thread. It stays in force until ResetCancel().
    void Cancel() noexcept { cancel_->Cancel(); }

    // Lets operations run again after Cancel(). Not while one is in progress:
    // call it before handing the client to the thread that will use it.
    void ResetCancel() noexcept { cancel_->Reset(); }

  protected:
    INetConnector& Connector() { return *connector_; }
    const std::shared_ptr<TNetCancel>& CancelHandle() const { return cancel_; }

    std::unique_ptr<INetStream> socket_;

  private:
    std::shared_ptr<INetConnector> connector_;
    std::shared_ptr<TNetCancel> cancel_ = std::make_shared<TNetCancel>();
    int port_ = 0;
};

// Line-oriented reading and writing over the stream, with the reply parsing
// shared by the commands. A socket failure closes the stream before it
// reaches the caller, so the connection is never reused in an unknown state.
class TNetSocket : public TNetComponent, public ILineWriter {
  public:
    using TNetComponent::TNetComponent;

    int BufferChunk() const { return bufferChunk_; }
    void SetBufferChunk(int chunk) { bufferChunk_ = chunk > 0 ? chunk : 1; }
    bool UseNagle() const { return useNagle_; }
    void SetUseNagle(bool on) { useNagle_ = on; }

    // Longest wait for one whole reply; also bounds each write.
    TNetTimeout ReplyTimeout() const { return replyTimeout_; }
    void SetReplyTimeout(TNetTimeout timeout) { replyTimeout_ = timeout; }

    // The last reply: its code (1 for "+OK", 0 for "-ERR" or no number), its
    // last line trimmed, and all its lines.
    int ReplyCode() const { return replyCode_; }
    const std::string& ReplyText() const { return replyText_; }
    const TStringList& ReplyLines() const { return replyLines_; }

    // Writes line and CR LF. Raises ENetClosedSocket while closed and
    // ELineBreakInField when line holds a CR or LF.
    void WriteLine(std::string_view line) override;

    // Reads one reply, single- or multi-line, within ReplyTimeout. A line, or
    // a whole reply, over 1 MiB closes the stream and raises ENetSocketError
    // 10040.
    void ReadReply();

    // Writes line (nothing when it is empty), reads the reply, and raises
    // ENetResponseError with the reply's text when expected is not negative
    // and the code differs from it.
    void SendCommand(std::string_view line, int expected);

    // Bytes buffered for receiving; the buffer grows and shrinks by
    // BufferChunk as lines arrive.
    std::size_t ReceiveBufferSize() const { return FReceive.size(); }

  protected:
    void AttachSocket(std::unique_ptr<INetStream> socket);

    // Closes the stream and drops buffered input and output.
    void CloseSocket() noexcept;

    // Takes the open stream out, dropping buffered input, so that a layer can
    // be put over it and attached again.
    std::unique_ptr<INetStream> DetachSocket();

    // While held, written lines collect in memory and go out together (at
    // the latest before the next reply is read), so a run of small lines
    // does not wait on the peer's delayed acknowledgement. Releasing flushes.
    void HoldWrites(bool hold);

  private:
    std::string ReadLine(std::chrono::steady_clock::time_point deadline);
    std::string ReadReplyLine(std::chrono::steady_clock::time_point deadline);
    void FillReceiveBuffer(std::chrono::steady_clock::time_point deadline);
    void Flush();

    int bufferChunk_ = 8192;
    bool useNagle_ = true;
    TNetTimeout replyTimeout_ = std::chrono::minutes(5);
    std::vector<char> FReceive;
    std::size_t filled_ = 0;
    std::string pending_;
    bool hold_ = false;
    int replyCode_ = 0;
    std::string replyText_;
    TStringList replyLines_;
};

class TNetClient : public TNetSocket {
  public:
    using TNetSocket::TNetSocket;

    const std::string& Host() const { return host_; }
    void SetHost(std::string host) { host_ = std::move(host); }

    TNetTimeout ConnectTimeout() const { return connectTimeout_; }
    void SetConnectTimeout(TNetTimeout timeout) { connectTimeout_ = timeout; }

    // The TLS session of the open connection, or nullptr while it is plain
    // or closed.
    const TTlsInfo* TlsInfo() const { return socket_ ? socket_->Tls() : nullptr; }

  protected:
    // Opens the stream to Host and Port. Raises ENetAlreadyConnected when a
    // stream is open.
    void OpenSocket();

    // Negotiates TLS over the open stream, checking the certificate against
    // Host, caFile and the system's trust store. Input that arrived before
    // is dropped, so that nothing sent in plain text is read as protected.
    void SecureSocket(const std::string& caFile);

  private:
    std::string host_;
    TNetTimeout connectTimeout_ = std::chrono::seconds(30);
};

class TMessageClient : public TNetClient {
  public:
    using TNetClient::TNetClient;

    // Value of the X-Mailer header; empty leaves the header out.
    const std::string& XProgram() const { return xProgram_; }
    void SetXProgram(std::string text) { xProgram_ = std::move(text); }

  protected:
    // Writes the header and body lines of message in one held batch.
    void WriteMessage(const TMailMessage& message);

  private:
    std::string xProgram_;
};

inline constexpr std::string_view kMailLibraryVersion = "1.20";

// How the session is protected; the values are those of the settings.
enum class TSmtpSecurity {
    None = 0,               // plain text throughout
    StartTlsIfOffered = 1,  // STARTTLS when the server offers it
    StartTlsRequired = 2,   // STARTTLS, or no session
    Tls = 3,                // TLS from the first byte, as on port 465
};

// The security for a settings value 0 to 3; nullopt for any other.
std::optional<TSmtpSecurity> SmtpSecurityFromInt(int value);

// The port servers usually listen on for security: 25 for plain text, 587
// (submission) for STARTTLS, 465 for TLS from the start.
int UsualSmtpPort(TSmtpSecurity security);

// Everything the client needs to reach and log in to the user's server, as
// the connection settings hold it.
struct TSmtpAccount {
    std::string Host{};
    int Port = 25;
    TSmtpSecurity Security = TSmtpSecurity::None;
    std::string User{};
    std::string Password{};  // empty: no AUTH
    std::string CaFile{};    // PEM certificates trusted besides the system's store
};

class TSmtpClient : public TMessageClient {
  public:
    explicit TSmtpClient(std::shared_ptr<INetConnector> connector = nullptr);
    ~TSmtpClient() override;

    // Takes Host, Port, security, user, password and CA file from account.
    void SetAccount(const TSmtpAccount& account);

    // The user name and password for AUTH. With an empty password the
    // client does not log in.
    const std::string& UserID() const { return userID_; }
    void SetUserID(std::string id) { userID_ = std::move(id); }
    const std::string& Password() const { return password_; }
    void SetPassword(std::string password) { password_ = std::move(password); }

    TSmtpSecurity Security() const { return security_; }
    void SetSecurity(TSmtpSecurity security) { security_ = security; }
    const std::string& CaFile() const { return caFile_; }
    void SetCaFile(std::string path) { caFile_ = std::move(path); }

    // Opens the connection and reads the 220 greeting. With no security and
    // no password it says Helo, as servers of every age understand. Otherwise
    // it says EHLO (Helo when that is refused), STARTTLS and EHLO again as
    // the security asks, and logs in with AUTH PLAIN or LOGIN when a password
    // is set; never over plain text unless the security is None. Any failure
    // after the stream opened disconnects before it reaches the caller; a
    // failed TLS negotiation sends nothing more.
    void Connect();

    // What the last Connect found: the greeting line, whether EHLO was
    // answered, the extensions it offered (keyword and parameters, as sent),
    // and the AUTH mechanism used ("PLAIN", "LOGIN", or empty).
    const std::string& Greeting() const { return greeting_; }
    bool Extended() const { return extended_; }
    const TStringList& Extensions() const { return extensions_; }
    bool Offers(std::string_view keyword) const;
    const std::string& AuthMechanism() const { return authMechanism_; }

    // Writes "Quit" when connected (no reply awaited), then always closes.
    void Disconnect();

    // One complete transaction. Connects first when closed (and then
    // disconnects at the end). A recipient passes with 250 or 251. When the
    // server offers PIPELINING, the commands up to Data go out together and
    // their replies are checked in order afterwards. A failure after the
    // server accepted Data and before the final "." closes the connection,
    // because the server is then still inside the message data; so does a
    // refused pipelined command when the server went on to accept Data.
    void Send(TMailMessage& message);

    // Refuses, before anything is written, a message that could not go out
    // safely: a From value without an address, a CR or LF in a header value,
    // recipient entry, attachment name or XProgram, a recipient without "@".
    void CheckMessage(const TMailMessage& message) const;

  private:
    void Greet();
    void Authenticate();
    void Transaction(TMailMessage& message, const std::string& sender);
    void PipelinedEnvelope(const TStringList& commands);
    void CheckAuthReply(int expected);

    std::string userID_;
    std::string password_;
    TSmtpSecurity security_ = TSmtpSecurity::None;
    std::string caFile_;
    std::string greeting_;
    bool extended_ = false;
    TStringList extensions_;
    std::string authMechanism_;
};

// The sender address of message: empty for an empty From (a null sender);
// raises EMissingSender when a From value holds no address.
std::string SenderAddress(const TMailMessage& message);

}  // namespace qv
