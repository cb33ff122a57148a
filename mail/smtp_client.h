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

    int Port() const { return FPort; }
    void SetPort(int port) { FPort = port; }

    // True while a stream is open.
    bool Connected() const { return FSocket != nullptr; }

    // Ends the operation in progress on another thread, and every later one,
    // by closing the connection: they raise ENetCancelled. Safe from any
    // thread. It stays in force until ResetCancel().
    void Cancel() noexcept { FCancel->Cancel(); }

    // Lets operations run again after Cancel(). Not while one is in progress:
    // call it before handing the client to the thread that will use it.
    void ResetCancel() noexcept { FCancel->Reset(); }

  protected:
    INetConnector& Connector() { return *FConnector; }
    const std::shared_ptr<TNetCancel>& CancelHandle() const { return FCancel; }

    std::unique_ptr<INetStream> FSocket;

  private:
    std::shared_ptr<INetConnector> FConnector;
    std::shared_ptr<TNetCancel> FCancel = std::make_shared<TNetCancel>();
    int FPort = 0;
};

// Line-oriented reading and writing over the stream, with the reply parsing
// shared by the commands. A socket failure closes the stream before it
// reaches the caller, so the connection is never reused in an unknown state.
class TNetSocket : public TNetComponent, public ILineWriter {
  public:
    using TNetComponent::TNetComponent;

    int BufferChunk() const { return FBufferChunk; }
    void SetBufferChunk(int chunk) { FBufferChunk = chunk > 0 ? chunk : 1; }
    bool UseNagle() const { return FUseNagle; }
    void SetUseNagle(bool on) { FUseNagle = on; }

    // Longest wait for one whole reply; also bounds each write.
    TNetTimeout ReplyTimeout() const { return FReplyTimeout; }
    void SetReplyTimeout(TNetTimeout timeout) { FReplyTimeout = timeout; }

    // The last reply: its code (1 for "+OK", 0 for "-ERR" or no number), its
    // last line trimmed, and all its lines.
    int ReplyCode() const { return FReplyCode; }
    const std::string& ReplyText() const { return FReplyText; }
    const TStringList& ReplyLines() const { return FReplyLines; }

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

    int FBufferChunk = 8192;
    bool FUseNagle = true;
    TNetTimeout FReplyTimeout = std::chrono::minutes(5);
    std::vector<char> FReceive;
    std::size_t FFilled = 0;
    std::string FPending;
    bool FHold = false;
    int FReplyCode = 0;
    std::string FReplyText;
    TStringList FReplyLines;
};

class TNetClient : public TNetSocket {
  public:
    using TNetSocket::TNetSocket;

    const std::string& Host() const { return FHost; }
    void SetHost(std::string host) { FHost = std::move(host); }

    TNetTimeout ConnectTimeout() const { return FConnectTimeout; }
    void SetConnectTimeout(TNetTimeout timeout) { FConnectTimeout = timeout; }

    // The TLS session of the open connection, or nullptr while it is plain
    // or closed.
    const TTlsInfo* TlsInfo() const { return FSocket ? FSocket->Tls() : nullptr; }

  protected:
    // Opens the stream to Host and Port. Raises ENetAlreadyConnected when a
    // stream is open.
    void OpenSocket();

    // Negotiates TLS over the open stream, checking the certificate against
    // Host, caFile and the system's trust store. Input that arrived before
    // is dropped, so that nothing sent in plain text is read as protected.
    void SecureSocket(const std::string& caFile);

  private:
    std::string FHost;
    TNetTimeout FConnectTimeout = std::chrono::seconds(30);
};

class TMessageClient : public TNetClient {
  public:
    using TNetClient::TNetClient;

    // Value of the X-Mailer header; empty leaves the header out.
    const std::string& XProgram() const { return FXProgram; }
    void SetXProgram(std::string text) { FXProgram = std::move(text); }

  protected:
    // Writes the header and body lines of message in one held batch.
    void WriteMessage(const TMailMessage& message);

  private:
    std::string FXProgram;
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
    const std::string& UserID() const { return FUserID; }
    void SetUserID(std::string id) { FUserID = std::move(id); }
    const std::string& Password() const { return FPassword; }
    void SetPassword(std::string password) { FPassword = std::move(password); }

    TSmtpSecurity Security() const { return FSecurity; }
    void SetSecurity(TSmtpSecurity security) { FSecurity = security; }
    const std::string& CaFile() const { return FCaFile; }
    void SetCaFile(std::string path) { FCaFile = std::move(path); }

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
    const std::string& Greeting() const { return FGreeting; }
    bool Extended() const { return FExtended; }
    const TStringList& Extensions() const { return FExtensions; }
    bool Offers(std::string_view keyword) const;
    const std::string& AuthMechanism() const { return FAuthMechanism; }

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

    std::string FUserID;
    std::string FPassword;
    TSmtpSecurity FSecurity = TSmtpSecurity::None;
    std::string FCaFile;
    std::string FGreeting;
    bool FExtended = false;
    TStringList FExtensions;
    std::string FAuthMechanism;
};

// The sender address of message: empty for an empty From (a null sender);
// raises EMissingSender when a From value holds no address.
std::string SenderAddress(const TMailMessage& message);

}  // namespace qv
