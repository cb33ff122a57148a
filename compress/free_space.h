// The one platform query the expander needs to be able to fake: how many
// bytes are free for new files in a folder.
#pragma once

#include <cstdint>
#include <string>

namespace qv::compress {

class TFreeSpaceQuery {
  public:
    virtual ~TFreeSpaceQuery() = default;
    // Free bytes on the file system that holds `folder` (or, when it does
    // not exist yet, its nearest existing parent; "" is the current folder),
    // or -1 when the query fails. Called on the expanding thread.
    virtual std::int64_t DiskFreeBytes(const std::string& folder) const = 0;
};

// Asks the file system for the space available to this user.
class TPlatformFreeSpace : public TFreeSpaceQuery {
  public:
    std::int64_t DiskFreeBytes(const std::string& folder) const override;
};

}  // namespace qv::compress
