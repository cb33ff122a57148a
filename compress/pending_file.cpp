#include "compress/pending_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "compress/archive_errors.h"

namespace qv::compress {

namespace fs = std::filesystem;

TPendingFile::TPendingFile(std::string target) : target_(std::move(target)) {
    std::error_code ec;
    if (fs::is_directory(target_, ec)) {
        throw EFCreateError(target_, std::make_error_code(std::errc::is_a_directory).message());
    }
    const fs::path targetPath(target_);
    const std::string stem = "." + targetPath.filename().string() + ".qvpart";
    for (int n = 0; n < 100 && !stream_.is_open(); ++n) {
        const fs::path candidate = targetPath.parent_path() / (stem + std::to_string(n));
        if (fs::exists(fs::symlink_status(candidate, ec))) {
            continue;
        }
        errno = 0;
        stream_.open(candidate, std::ios::binary | std::ios::out | std::ios::trunc);
        if (!stream_.is_open()) {
            throw EFCreateError(target_, std::generic_category().message(errno));
        }
        temp_ = candidate.string();
    }
    if (!stream_.is_open()) {
        throw EFCreateError(target_, "no free temporary name beside it");
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
        throw EWriteError();
    }
}

void TPendingFile::Commit() {
    Close();
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) {
        throw EFCreateError(target_, ec.message());
    }
    temp_.clear();
}

}  // namespace qv::compress
