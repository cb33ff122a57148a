// TArchiver expands named entries of an archive into files under a target
// folder, restoring each entry's time stamp and read-only attribute and
// verifying its checksum.
//
// Ownership and threading: a TArchiver owns its codec state, so it expands
// one entry at a time on the calling thread and must not be used by two
// threads at once; separate TArchivers share nothing. Every call reads the
// archive header anew; only the properties keep their values between calls.
//
// Entry names use "\" between folders and are written with "/". A name that
// would leave the target folder (a ".." part, a leading "\" or "/", a NUL
// byte) raises EUnsafeEntryName before anything is written for it.
//
// File stamps: the entry's DOS date and time, read as local time, becomes the
// file's modification time. Of the attribute bits only read-only has a
// counterpart here: it removes every write permission bit. Hidden, system
// and archive bits are ignored. Failing to apply either is not an error.
//
// Failures are exceptions from archive_errors.h. A failed entry leaves no
// file of its own behind: the data go to a temporary file beside the target,
// which replaces the target only once the entry has expanded and passed its
// checksum, and is removed otherwise. Files of earlier entries stay.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "compress/archive_format.h"
#include "compress/codec_state.h"
#include "compress/free_space.h"

namespace qv::compress {

// Passed to OnCheckFile; expansion passes apExpand (ordinal 1).
enum class TArchiveProcessMode { apCompress, apExpand };

// Expands an entry of the custom method: reads exactly `Sourcesize` bytes
// from `source` (positioned at the entry's data), writes the expanded bytes
// to `dest` and sets `checksum` (0 on entry) to their sum.
using TExpandEvent = std::function<void(std::ostream& dest, std::istream& source,
                                        std::int32_t Sourcesize, std::int32_t Destsize,
                                        const std::string& CompressID, std::int32_t& checksum)>;
// The compression side's custom method; never invoked on expansion.
using TCompressEvent =
    std::function<void(std::ostream& dest, std::istream& source, std::string& CompressID,
                       std::int32_t& Outputsize, std::int32_t& checksum)>;
// Sees each target path before its file is written. Setting it to "" passes
// the entry over; setting it to "*" ends the expansion.
using TFilenameCheckEvent = std::function<void(std::string& filepath, TArchiveProcessMode mode)>;
// Asked about an archive method ID that is none of the five known ones.
using TRecognizeEvent = std::function<void(const std::string& CompressID, bool& recognized)>;

class TArchiver {
  public:
    // Uses the platform's free-space query.
    TArchiver();
    // Uses `freeSpace` instead (tests, or a caller with its own rules).
    explicit TArchiver(std::shared_ptr<const TFreeSpaceQuery> freeSpace);
    ~TArchiver();
    TArchiver(const TArchiver&) = delete;
    TArchiver& operator=(const TArchiver&) = delete;

    TCompressEvent OnCompress;
    TExpandEvent OnExpand;
    TFilenameCheckEvent OnCheckFile;
    TRecognizeEvent OnRecognize;
    TShowProgressEvent OnShowProgress;

    // Folder under which entries are written; a value that does not end in
    // "/" gets one appended. Empty means the current folder.
    const std::string& TargetPath() const { return targetPath_; }
    void SetTargetPath(std::string path);
    bool MakeDirectories() const { return makeDirectories_; }
    void SetMakeDirectories(bool value) { makeDirectories_ = value; }
    // When false, an output file that cannot be created passes its entry over.
    bool ExceptionOnFileError() const { return exceptionOnFileError_; }
    void SetExceptionOnFileError(bool value) { exceptionOnFileError_ = value; }
    std::int32_t Key() const { return key_; }
    void SetKey(std::int32_t value) { key_ = value; }
    bool CheckSpaceBeforeExpand() const { return checkSpaceBeforeExpand_; }
    void SetCheckSpaceBeforeExpand(bool value) { checkSpaceBeforeExpand_ = value; }

    // Expands the entry named FileName (ASCII case ignored) and sets FileName
    // to the full path written, or to "" when the archive has no such entry.
    void ExpandNamedFile(std::string& FileName, const std::string& ArchiveFile);
    // Opens the archive file and expands from it; see ExpandArchiveStream.
    void ExpandArchiveFile(const std::string& ArchiveFile, std::vector<std::string>* FileList);
    // Expands from the stream's current position. With a FileList only the
    // entries named in it are expanded, and on success the list is replaced
    // by the full paths written, in archive order; on failure it is left as
    // it was. Without a FileList every entry is expanded.
    void ExpandArchiveStream(std::istream& Archive, std::vector<std::string>* FileList);

  private:
    struct TEntry {
        TArchiveEntryHeader header;
        std::string name;
    };

    std::int64_t ReadArchiveHeader(std::istream& archive, std::string& methodID);
    void RecognizeMethodID(const std::string& id);
    bool ReadEntryHeader(std::istream& archive, TEntry& entry);
    std::string TargetFilePath(const std::string& name) const;
    std::int64_t FreeSpaceForFile(const std::string& path) const;
    void MakeDirectoryPath(const std::string& path) const;
    void ExpandEntry(const TEntry& entry, std::ostream& output, std::istream& archive,
                     const std::string& methodID);
    std::uint32_t DecodeEntryData(std::ostream& output, std::istream& archive, const TEntry& entry);

    std::string targetPath_;
    bool makeDirectories_ = false;
    bool exceptionOnFileError_ = false;
    std::int32_t key_ = 0;
    bool checkSpaceBeforeExpand_ = false;
    std::shared_ptr<const TFreeSpaceQuery> freeSpace_;
    std::unique_ptr<TCodecState> codec_;
};

}  // namespace qv::compress
