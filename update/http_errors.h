// Failures of the HTTP client and its texts of socket error codes.
#pragma once

#include <stdexcept>
#include <string>

#include "base/socket_errors.h"

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

// The HTTP client's fixed English text of a Windows Sockets error code (see
// base/socket_errors.h); "Not a WinSock error" for a code outside the table.
std::string HttpSocketErrorText(int code);

}  // namespace qv
