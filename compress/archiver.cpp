#include "compress/archiver.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "base/pending_file.h"
#include "compress/archive_errors.h"
#include "compress/basic_methods.h"

namespace qv::compress {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();

std::string ErrnoText() {
    return std::generic_category().message(errno);
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool ListHasName(const std::vector<std::string>& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& n) { return SameIgnoringAsciiCase(n, name); });
}

// Everything up to and including the last "/", or "".
std::string FolderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Moves a finished entry over its target with the entry's time stamp, and
// applies the read-only attribute. Stamp and attribute failures are ignored,
// as a file with the right content is still the better outcome.
void CommitEntry(qv::TPendingFile& output, const std::string& target, std::uint32_t dosTime,
                 std::int32_t attributes) {
    output.Close();
    std::error_code ec;
    if (const auto time = DosTimeToTime(dosTime)) {
        const auto stamp =
            std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(*time));
        fs::last_write_time(output.TempPath(), stamp, ec);
    }
    output.Commit();
    if ((attributes & kAttributeReadOnly) != 0) {
        fs::permissions(target,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, ec);
    }
}

}  // namespace

TArchiver::TArchiver() : TArchiver(std::make_shared<TPlatformFreeSpace>()) {}

TArchiver::TArchiver(std::shared_ptr<const TFreeSpaceQuery> freeSpace)
    : freeSpace_(std::move(freeSpace)), codec_(std::make_unique<TCodecState>()) {}

TArchiver::~TArchiver() = default;

void TArchiver::SetTargetPath(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    targetPath_ = std::move(path);
}

void TArchiver::ExpandNamedFile(std::string& FileName, const std::string& ArchiveFile) {
    std::vector<std::string> list{FileName};
    ExpandArchiveFile(ArchiveFile, &list);
    FileName = list.empty() ? std::string() : list.front();
}

void TArchiver::ExpandArchiveFile(const std::string& ArchiveFile,
                                  std::vector<std::string>* FileList) {
    std::error_code ec;
    if (fs::is_directory(ArchiveFile, ec)) {
        throw EFOpenError(ArchiveFile, std::make_error_code(std::errc::is_a_directory).message());
    }
    errno = 0;
    std::ifstream archive(ArchiveFile, std::ios::binary);
    if (!archive.is_open()) {
        throw EFOpenError(ArchiveFile, ErrnoText());
    }
    ExpandArchiveStream(archive, FileList);
}

void TArchiver::ExpandArchiveStream(std::istream& Archive, std::vector<std::string>* FileList) {
    std::vector<std::string> written;
    std::string methodID;
    const std::int64_t total = ReadArchiveHeader(Archive, methodID);
    std::int64_t running = 0;
    TEntry entry;
    while (ReadEntryHeader(Archive, entry)) {
        if (running >= total) {
            break;
        }
        // Negative sizes cannot come from a writer and would walk the stream
        // backwards, possibly for ever. Checked only here, so that whatever
        // follows the last counted entry stays ignored.
        if (entry.header.nameLength < 0 || entry.header.storedSize < 0) {
            throw EInvalidHeader();
        }
        const std::streamoff dataStart = Archive.tellg();
        const std::streamoff dataEnd = dataStart + entry.header.storedSize;
        // Every entry ends where its stored size says, whatever its decoder
        // (or a custom handler) consumed.
        auto skipToNextEntry = [&] {
            Archive.clear();
            Archive.seekg(dataEnd);
        };
        if (FileList && !ListHasName(*FileList, entry.name)) {
            skipToNextEntry();
            running += entry.header.expandedSize;
            continue;
        }
        std::string target = TargetFilePath(entry.name);
        if (OnCheckFile) {
            OnCheckFile(target, TArchiveProcessMode::apExpand);
            if (target.empty()) {
                skipToNextEntry();
                continue;
            }
            if (target == "*") {
                break;
            }
        }
        if (FreeSpaceForFile(target) < entry.header.expandedSize) {
            throw EInsufficientDiskSpace(target);
        }
        if (makeDirectories_) {
            MakeDirectoryPath(FolderPart(target));
        }
        std::optional<qv::TPendingFile> output;
        try {
            output.emplace(target);
            ExpandEntry(entry, output->Stream(), Archive, methodID);
            CommitEntry(*output, target, entry.header.dosTime, entry.header.attributes);
        } catch (const qv::EPendingFileError& e) {
            if (exceptionOnFileError_ || e.Step() == qv::EPendingFileError::TStep::Write) {
                RaiseOutputFileError(e, target);
            }
            skipToNextEntry();
            continue;
        }
        written.push_back(target);
        running += entry.header.expandedSize;
        skipToNextEntry();
    }
    if (FileList) {
        *FileList = std::move(written);
    }
}

std::int64_t TArchiver::ReadArchiveHeader(std::istream& archive, std::string& methodID) {
    std::array<std::uint8_t, kArchiveHeaderSize> bytes{};
    archive.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (archive.gcount() < static_cast<std::streamsize>(bytes.size())) {
        return 0;
    }
    const TArchiveHeader header = DecodeArchiveHeader(bytes);
    if (header.magic != kArchiveMagic) {
        throw EInvalidHeader();
    }
    if (header.archiveType != kArchiveTypeMulti) {
        throw EInvalidHeaderArchiveType();
    }
    RecognizeMethodID(header.methodID);
    methodID = header.methodID;
    return header.totalExpandedSize;
}

void TArchiver::RecognizeMethodID(const std::string& id) {
    if (FindMethodID(id)) {
        return;
    }
    bool recognized = false;
    if (OnRecognize) {
        OnRecognize(id, recognized);
    }
    if (!recognized) {
        throw EUnrecognizedCompressionMethod(id);
    }
}

bool TArchiver::ReadEntryHeader(std::istream& archive, TEntry& entry) {
    std::array<std::uint8_t, kEntryHeaderSize> bytes{};
    archive.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (archive.gcount() < static_cast<std::streamsize>(bytes.size())) {
        return false;
    }
    entry.header = DecodeEntryHeader(bytes);
    entry.name.clear();
    if (entry.header.nameLength < 0) {
        return true;
    }
    entry.name.assign(static_cast<std::size_t>(entry.header.nameLength), '\0');
    archive.read(entry.name.data(), entry.header.nameLength);
    return archive.gcount() == entry.header.nameLength;
}

// Entry names use "\" between folders; "/" is taken as one too. A name must
// stay below the target folder; a NUL byte would cut the path short where
// the system reads it, so it is refused as well.
std::string TArchiver::TargetFilePath(const std::string& name) const {
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if ((!relative.empty() && relative.front() == '/') ||
        relative.find('\0') != std::string::npos) {
        throw EUnsafeEntryName(name);
    }
    std::size_t begin = 0;
    while (begin <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', begin), relative.size());
        if (relative.compare(begin, end - begin, "..") == 0) {
            throw EUnsafeEntryName(name);
        }
        begin = end + 1;
    }
    return targetPath_ + relative;
}

std::int64_t TArchiver::FreeSpaceForFile(const std::string& path) const {
    if (!checkSpaceBeforeExpand_) {
        return kMaxSize;
    }
    // An old file at the target does not count as free: the entry is written
    // beside it in full before it goes.
    return std::min(freeSpace_->DiskFreeBytes(FolderPart(path)), kMaxSize);
}

void TArchiver::MakeDirectoryPath(const std::string& path) const {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) {
        return;
    }
    MakeDirectoryPath(FolderPart(folder));
    fs::create_directory(folder, ec);
    if (ec) {
        throw EInOutError("Cannot create folder \"" + folder + "\". " + ec.message());
    }
}

void TArchiver::ExpandEntry(const TEntry& entry, std::ostream& output, std::istream& archive,
                            const std::string& methodID) {
    const TArchiveEntryHeader& h = entry.header;
    const bool locked = h.lock >= 1;
    if (locked && key_ == 0) {
        throw EInvalidKey();
    }
    std::uint32_t computed = 0;
    if (h.method == static_cast<std::uint8_t>(TMethod::Custom)) {
        std::int32_t checksum = 0;
        if (OnExpand) {
            OnExpand(output, archive, h.storedSize, h.expandedSize, methodID, checksum);
        }
        computed = static_cast<std::uint32_t>(checksum);
    } else {
        try {
            computed = DecodeEntryData(output, archive, entry);
        } catch (const ELZHBadDecodeTable&) {
            // Data combined with the wrong key look like a damaged table.
            if (locked) {
                throw EInvalidKey();
            }
            throw;
        }
    }
    const auto stored = static_cast<std::uint32_t>(h.checksum);
    if (computed == stored ||
        (stored == 0 && h.method == static_cast<std::uint8_t>(TMethod::Stored))) {
        return;
    }
    if (!locked) {
        throw EBadChecksum();
    }
    if (stored != static_cast<std::uint32_t>(key_) + computed) {
        throw EInvalidKey();
    }
}

std::uint32_t TArchiver::DecodeEntryData(std::ostream& output, std::istream& archive,
                                         const TEntry& entry) {
    const TShowProgressEvent progress = OnShowProgress;
    if (progress) {
        int percentage = 0;
        progress(percentage);
        if (percentage == -1) {
            return 0;
        }
    }
    const TArchiveEntryHeader& h = entry.header;
    TCodecState& codec = *codec_;
    codec.BeginEntry(archive, output, h.storedSize, key_, h.lock == 2, progress);
    struct TEndEntry {
        TCodecState& codec;
        ~TEndEntry() { codec.EndEntry(); }
    } endEntry{codec};
    DecodeMethod(codec, h.method, h.expandedSize);
    codec.FlushOutput();
    const std::uint32_t checksum = codec.OutputSum();
    if (progress) {
        int percentage = 100;
        progress(percentage);
    }
    return checksum;
}

}  // namespace qv::compress
