// Failures of the HTTP client and the texts of socket error codes.
#pragma once

#include <stdexcept>
#include <string>

namespace qv {

// Raised by THttpClient: by Fetch with the response's reason and status, and
// by the client itself with one of the fixed messages and codes below.
class EHttpException : public std::runtime_error {
  public:
    EHttpException(const std::string& message, int code)
        : std::runtime_error(message), code_(code) {}
    int ErrorCode() const { return code_; }

  private:
    int code_;
};

inline constexpr int kHttpBusy = 1;
inline constexpr int kHttpNothingToPost = 2;
inline constexpr int kHttpLineTooLong = 4;
// A field that would reach the request head holds a CR or LF.
inline constexpr int kHttpLineBreakInRequest = 5;

inline constexpr const char* kHttpBusyText = "HTTP component is busy";
inline constexpr const char* kHttpNothingToPostText = "HTTP component has nothing to post";
inline constexpr const char* kHttpLineTooLongText = "HTTP line too long";
inline constexpr const char* kHttpLineBreakText = "HTTP request field contains a line break";

// Socket error codes used by the socket layer (the classic numbering, which the
// failure texts show to the user).
namespace sockerr {
inline constexpr int kInvalidArgument = 10022;
inline constexpr int kAccessDenied = 10013;
inline constexpr int kTooManyFiles = 10024;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kAddressInUse = 10048;
inline constexpr int kAddressNotAvailable = 10049;
inline constexpr int kNetworkUnreachable = 10051;
inline constexpr int kConnectionAborted = 10053;
inline constexpr int kConnectionReset = 10054;
inline constexpr int kNoBufferSpace = 10055;
inline constexpr int kNotConnected = 10057;
inline constexpr int kTimedOut = 10060;
inline constexpr int kConnectionRefused = 10061;
inline constexpr int kOperationNotSupported = 10045;
inline constexpr int kHostNotFound = 11001;
}  // namespace sockerr

// The fixed English text of a socket error code as the HTTP client words it;
// "Not a WinSock error" for a code outside the table. (The SMTP client has a
// table of its own with other wording, mail/net_errors.h: the two names must
// differ, or a program linking both gets either table.)
std::string HttpSocketErrorText(int code);

}  // namespace qv
