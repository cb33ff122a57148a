// Failures of the mail code: the ENetException family raised by the SMTP
// client and its socket layer, and the message errors raised while a message
// is checked or written. Each class stands for one kind of failure and carries
// its fixed message text.
#pragma once

#include <cstddef>
#include <exception>
#include <stdexcept>
#include <string>

#include "base/socket_errors.h"

namespace qv {

class ENetException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A socket call failed. Code is a Windows Sockets error code (see
// base/socket_errors.h); the message is "Socket Error #<code>" CR LF and the
// code's text.
class ENetSocketError : public ENetException {
  public:
    explicit ENetSocketError(int code);
    int Code() const noexcept { return code_; }

  private:
    int code_;
};

// A reply code differs from the one expected; the message is the reply line.
class ENetResponseError : public ENetException {
  public:
    using ENetException::ENetException;
};

// The greeting's code is not 220; the message is the greeting line.
class ENetConnectRefused : public ENetException {
  public:
    using ENetException::ENetException;
};

class ENetAlreadyConnected : public ENetException {
  public:
    ENetAlreadyConnected() : ENetException("Already connected.") {}
};

class ENetClosedSocket : public ENetException {
  public:
    ENetClosedSocket() : ENetException("Socket is closed, cannot write") {}
};

class ENetInvalidSocket : public ENetException {
  public:
    ENetInvalidSocket() : ENetException("Cannot allocate socket.") {}
};

// Neither connection attempt of a send action reached the server. Cause holds
// the failure of the second attempt.
class ESmtpConnectFailed : public ENetException {
  public:
    explicit ESmtpConnectFailed(std::exception_ptr cause);
    std::exception_ptr Cause() const noexcept { return cause_; }

  private:
    std::exception_ptr cause_;
};

// The operation was ended from another thread through TNetCancel; the
// connection is closed.
class ENetCancelled : public ENetException {
  public:
    ENetCancelled() : ENetException("The connection was closed on request.") {}
};

// The TLS negotiation with host, or the TLS stream after it, failed; reason is
// the TLS library's own short text.
class ETlsError : public ENetException {
  public:
    ETlsError(const std::string& host, const std::string& reason)
        : ENetException("The secure connection to " + host + " failed: " + reason + ".") {}

  protected:
    explicit ETlsError(const std::string& message) : ENetException(message) {}
};

// The server's certificate is not trusted or not made out to host.
class ETlsCertificateError : public ETlsError {
  public:
    ETlsCertificateError(const std::string& host, const std::string& reason)
        : ETlsError("The certificate of " + host + " was not accepted: " + reason + ".") {}
};

// The extra file of trusted certificates cannot be used.
class ETlsCaFileError : public ETlsError {
  public:
    explicit ETlsCaFileError(const std::string& path)
        : ETlsError("The certificate file \"" + path +
                    "\" cannot be read as PEM certificates.") {}
};

// The server was reached and answered, but the session cannot go on as the
// connection settings ask. Retrying the connection would not help.
class ESmtpNegotiationError : public ENetException {
  public:
    using ENetException::ENetException;
};

class ESmtpStartTlsMissing : public ESmtpNegotiationError {
  public:
    ESmtpStartTlsMissing()
        : ESmtpNegotiationError(
              "The SMTP server does not offer STARTTLS, which the connection settings "
              "require. Nothing was sent.") {}
};

// A password is set, but the connection is not encrypted and the settings do
// not allow plain text.
class ESmtpAuthNeedsTls : public ESmtpNegotiationError {
  public:
    ESmtpAuthNeedsTls()
        : ESmtpNegotiationError(
              "The SMTP server does not offer encryption, so the password was not sent. "
              "Choose no security in the connection settings to send it unencrypted.") {}
};

class ESmtpAuthUnsupported : public ESmtpNegotiationError {
  public:
    ESmtpAuthUnsupported()
        : ESmtpNegotiationError(
              "The SMTP server offers neither AUTH PLAIN nor AUTH LOGIN, so the password was "
              "not sent.") {}
};

// The server refused the user name and password; the message is its reply
// line, for example "535 5.7.8 Authentication credentials invalid".
class ESmtpAuthRefused : public ESmtpNegotiationError {
  public:
    using ESmtpNegotiationError::ESmtpNegotiationError;
};

// A send action was cancelled. Sent transactions were accepted by the server
// before the connection was closed; Total is how many the action had. The
// transaction in progress when the connection closed was not confirmed, but
// may have reached the server if its data had gone out whole.
class ESendCancelled : public ENetException {
  public:
    ESendCancelled(std::size_t sent, std::size_t total)
        : ENetException("Sending was cancelled."), sent_(sent), total_(total) {}
    std::size_t Sent() const noexcept { return sent_; }
    std::size_t Total() const noexcept { return total_; }

  private:
    std::size_t sent_;
    std::size_t total_;
};

// Base of the failures found in a message before or while it is written.
class EMailMessageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The From value holds no address: "From not specified.".
class EMissingSender : public EMailMessageError {
  public:
    EMissingSender() : EMailMessageError("From not specified.") {}
};

// A header value or recipient entry holds a carriage return or line feed,
// which would end the header line early and let the text inject headers or
// commands.
class ELineBreakInField : public EMailMessageError {
  public:
    using EMailMessageError::EMailMessageError;
};

// A recipient entry whose address has no "@".
class EInvalidRecipient : public EMailMessageError {
  public:
    using EMailMessageError::EMailMessageError;
};

// The local time-zone offset cannot be read.
class ETimeZoneError : public EMailMessageError {
  public:
    ETimeZoneError() : EMailMessageError("Failed attempting to retrieve time zone information.") {}
};

// An attachment file cannot be opened or read.
class EFileReadError : public EMailMessageError {
  public:
    using EMailMessageError::EMailMessageError;
};

// The SMTP client's text of a Windows Sockets error code; empty for an
// unknown code.
std::string SmtpSocketErrorText(int code);

// The exception's class name without namespaces, for reports such as
// "ENetResponseError: 550 ...".
std::string ExceptionClassName(const std::exception& e);

}  // namespace qv
