#include "compress/free_space.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace qv::compress {

std::int64_t TPlatformFreeSpace::DiskFreeBytes(const std::string& folder) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path probe = folder.empty() ? fs::current_path(ec) : fs::absolute(folder, ec);
    if (ec) {
        return -1;
    }
    while (!fs::exists(probe, ec) && probe.has_relative_path()) {
        probe = probe.parent_path();
    }
    const fs::space_info info = fs::space(probe, ec);
    if (ec) {
        return -1;
    }
    return static_cast<std::int64_t>(std::min<std::uintmax_t>(
        info.available, static_cast<std::uintmax_t>(std::numeric_limits<std::int64_t>::max())));
}

}  // namespace qv::compress
