// The Windows Sockets error codes, which the program's messages show to the
// user on every platform, and the mapping of POSIX and resolver failures
// onto them. Each protocol keeps its own table of texts for the codes
// (SmtpSocketErrorText in mail/, HttpSocketErrorText in update/).
#pragma once

namespace qv {

namespace sockerr {
inline constexpr int kInterrupted = 10004;
inline constexpr int kAccessDenied = 10013;
inline constexpr int kInvalidArgument = 10022;
inline constexpr int kTooManyFiles = 10024;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kMessageTooLong = 10040;
inline constexpr int kOperationNotSupported = 10045;
inline constexpr int kAddressInUse = 10048;
inline constexpr int kAddressNotAvailable = 10049;
inline constexpr int kNetworkUnreachable = 10051;
inline constexpr int kConnectionAborted = 10053;
inline constexpr int kConnectionReset = 10054;
inline constexpr int kNoBufferSpace = 10055;
inline constexpr int kNotConnected = 10057;
inline constexpr int kTimedOut = 10060;
inline constexpr int kConnectionRefused = 10061;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTryAgain = 11002;
inline constexpr int kNoRecovery = 11003;
inline constexpr int kNoData = 11004;
}  // namespace sockerr

// The Windows Sockets code for a POSIX errno value, so that messages read the
// same on every platform. An errno without a counterpart is passed through.
int WinsockCodeFromErrno(int err);

// The Windows Sockets code for a getaddrinfo() result (EAI_*). EAI_SYSTEM
// takes the errno in force.
int WinsockCodeFromResolver(int eaiError);

}  // namespace qv
