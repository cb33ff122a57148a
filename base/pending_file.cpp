#include "base/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace qv {

namespace fs = std::filesystem;

namespace {

std::string ErrnoText(int err) {
    return std::generic_category().message(err);
}

// fsync through a descriptor of its own: the stream keeps its descriptor to
// itself. Syncing a folder makes a rename in it durable.
bool SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The file a symbolic link leads to; the path itself when it is no link or
// the link leads nowhere.
std::string LinkTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return path;
    }
    std::string resolved = real;
    std::free(real);
    return resolved;
}

}  // namespace

TPendingFile::TPendingFile(std::string target, TPendingFileOptions options)
    : target_(std::move(target)), options_(options) {
    if (options_.FollowLink) {
        target_ = LinkTarget(target_);
    }
    std::error_code ec;
    if (fs::is_directory(target_, ec)) {
        throw EPendingFileError(EPendingFileError::TStep::Create, ErrnoText(EISDIR));
    }
    const fs::path targetPath(target_);
    // Built by appending: GCC 12 at -O3 falsely reports the insert behind
    // "." + std::string&& as an overlapping copy (-Wrestrict).
    std::string stem = ".";
    stem += targetPath.filename().string();
    stem += ".qvpart";
    for (int n = 0; n < 100 && temp_.empty(); ++n) {
        const std::string candidate =
            (targetPath.parent_path() / (stem + std::to_string(n))).string();
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              options_.Mode.value_or(0666));
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            throw EPendingFileError(EPendingFileError::TStep::Create, ErrnoText(errno));
        }
        ::close(fd);
        temp_ = candidate;
    }
    if (temp_.empty()) {
        throw EPendingFileError(EPendingFileError::TStep::Create,
                                "no free temporary name beside it");
    }
    stream_.open(temp_, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!stream_.is_open()) {
        const int err = errno;
        fs::remove(temp_, ec);
        temp_.clear();
        throw EPendingFileError(EPendingFileError::TStep::Create, ErrnoText(err));
    }
}

TPendingFile::~TPendingFile() {
    if (!temp_.empty()) {
        stream_.close();
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

void TPendingFile::Close() {
    if (!stream_.is_open()) {
        return;
    }
    stream_.close();
    if (stream_.fail()) {
        throw EPendingFileError(EPendingFileError::TStep::Write, "Stream write error");
    }
    if (options_.SyncToDisk && !SyncPath(temp_, 0)) {
        throw EPendingFileError(EPendingFileError::TStep::Write, ErrnoText(errno));
    }
}

void TPendingFile::Commit() {
    Close();
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) {
        throw EPendingFileError(EPendingFileError::TStep::Commit, ec.message());
    }
    temp_.clear();
    if (options_.SyncToDisk) {
        // The new file is complete either way; this only makes the move last.
        const fs::path folder = fs::path(target_).parent_path();
        SyncPath(folder.empty() ? "." : folder.string(), O_DIRECTORY);
    }
}

}  // namespace qv
