// The hosts the program talks to and opens pages from. Every address the
// program builds from a host lives here, so moving a server is a one-line
// change.
#pragma once

namespace qv::servers {

// The update server: the dates file and the list archives.
inline constexpr const char* kUpdateHost = "quorvane.org";
// Fallback for the update server.
inline constexpr const char* kMirrorHost = "mirror.quorvane.org";
// The second web server, which answers the first-run request.
inline constexpr const char* kSecondHost = "news.quorvane.org";
// The product pages: start, help, news and ordering. Set at configure time
// (the CMake cache variable QV_PRODUCT_HOST).
inline constexpr const char* kProductHost = QV_PRODUCT_HOST;

// The chambers' servers, for their vote pages.
inline constexpr const char* kSenateHost = "www.senate.gov";
inline constexpr const char* kHouseClerkHost = "clerk.house.gov";

// The file the first-run request asks the second server for.
inline constexpr const char* kFirstRunPath = "/qnnew.dat";

}  // namespace qv::servers
