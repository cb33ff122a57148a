// Failures of the mail code: the ENetException family raised by the SMTP
// client and its socket layer, and the message errors raised while a message
// is checked or written. Each class stands for one kind of failure and carries
// its fixed message text.
#pragma once

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
    int Code() const noexcept { return FCode; }

  private:
    int FCode;
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
    std::exception_ptr Cause() const noexcept { return FCause; }

  private:
    std::exception_ptr FCause;
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
