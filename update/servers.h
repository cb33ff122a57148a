// The hosts the program talks to and opens pages from. Every address the
// program builds from a host lives here, so moving a server is a one-line
// change. The values come from the build's configuration (the CMake cache
// variables QV_UPDATE_HOST, QV_MIRROR_BASE, QV_PRODUCT_HOST and
// QV_SECOND_HOST), so that a private installation or a test build can point
// the program at servers of its own without a source change (QV_UPDATE_SCHEME
// too: "https" unless an installation's own server speaks plain http).
#pragma once

#include "update/configured_servers.h"

namespace qv::servers {

// The update server: the dates file and the list archives lie in its list
// directory, kUpdateScheme + "://" + kUpdateHost + kListDirectory.
inline constexpr const char* kUpdateScheme = configured::kUpdateScheme;
inline constexpr const char* kUpdateHost = configured::kUpdateHost;
inline constexpr const char* kListDirectory = "/qndata/";
// The mirror's list directory, a complete address ending in "/"; it takes
// over when a download from the update server fails.
inline constexpr const char* kMirrorBase = configured::kMirrorBase;
// The second web server, which answers the first-run request.
inline constexpr const char* kSecondHost = configured::kSecondHost;
// The product pages: start, help, news and ordering.
inline constexpr const char* kProductHost = configured::kProductHost;

// The chambers' servers, for their vote pages.
inline constexpr const char* kSenateHost = "www.senate.gov";
inline constexpr const char* kHouseClerkHost = "clerk.house.gov";

// The file the first-run request asks the second server for.
inline constexpr const char* kFirstRunPath = "/qnnew.dat";

}  // namespace qv::servers
