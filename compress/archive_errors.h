// Exceptions raised by the archive expander, its decoders and its file layer.
// Every class carries a fixed message (some followed by a path or an ID) and
// reports its own class name, so a caller can print "EClass: message".
#pragma once

#include <stdexcept>
#include <string>

#include "base/pending_file.h"

namespace qv::compress {

// Common root, so callers can catch every archive failure in one place.
class EArchiveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    virtual const char* ClassName() const noexcept = 0;
};

class EInvalidHeader : public EArchiveError {
  public:
    EInvalidHeader() : EArchiveError("Can't recognize compressed file header") {}
    const char* ClassName() const noexcept override { return "EInvalidHeader"; }
};

class EInvalidHeaderArchiveType : public EArchiveError {
  public:
    EInvalidHeaderArchiveType() : EArchiveError("Archive type must be caMulti") {}
    const char* ClassName() const noexcept override { return "EInvalidHeaderArchiveType"; }
};

class EUnrecognizedCompressionMethod : public EArchiveError {
  public:
    explicit EUnrecognizedCompressionMethod(const std::string& id)
        : EArchiveError("Unrecognized compression method: \"" + id + "\" in header") {}
    const char* ClassName() const noexcept override { return "EUnrecognizedCompressionMethod"; }
};

class EInsufficientDiskSpace : public EArchiveError {
  public:
    explicit EInsufficientDiskSpace(const std::string& path)
        : EArchiveError("Not enough disk space to expand " + path) {}
    const char* ClassName() const noexcept override { return "EInsufficientDiskSpace"; }
};

class EInvalidKey : public EArchiveError {
  public:
    EInvalidKey() : EArchiveError("File locked -- valid key required") {}
    const char* ClassName() const noexcept override { return "EInvalidKey"; }
};

class EBadChecksum : public EArchiveError {
  public:
    EBadChecksum() : EArchiveError("Bad checksum during expansion -- data may be invalid") {}
    const char* ClassName() const noexcept override { return "EBadChecksum"; }
};

class ELZHBadDecodeTable : public EArchiveError {
  public:
    ELZHBadDecodeTable() : EArchiveError("Bad decode table in archive!") {}
    const char* ClassName() const noexcept override { return "ELZHBadDecodeTable"; }
};

class EUnableToCompress : public EArchiveError {
  public:
    EUnableToCompress() : EArchiveError("Could not compress data, will store instead") {}
    const char* ClassName() const noexcept override { return "EUnableToCompress"; }
};

// An entry whose name would put its file outside the target folder.
class EUnsafeEntryName : public EArchiveError {
  public:
    explicit EUnsafeEntryName(const std::string& name)
        : EArchiveError("Entry name leaves the target folder: " + name) {}
    const char* ClassName() const noexcept override { return "EUnsafeEntryName"; }
};

// The file layer's own failures: the archive cannot be opened, an output
// file cannot be created, a write fails, or a folder or file query fails.
class EFOpenError : public EArchiveError {
  public:
    EFOpenError(const std::string& path, const std::string& reason)
        : EArchiveError("Cannot open file \"" + path + "\". " + reason) {}
    const char* ClassName() const noexcept override { return "EFOpenError"; }
};

class EFCreateError : public EArchiveError {
  public:
    EFCreateError(const std::string& path, const std::string& reason)
        : EArchiveError("Cannot create file \"" + path + "\". " + reason) {}
    const char* ClassName() const noexcept override { return "EFCreateError"; }
};

class EWriteError : public EArchiveError {
  public:
    EWriteError() : EArchiveError("Stream write error") {}
    const char* ClassName() const noexcept override { return "EWriteError"; }
};

class EInOutError : public EArchiveError {
  public:
    explicit EInOutError(const std::string& message) : EArchiveError(message) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }
};

// Raises the archive code's own error for a failure of the file written
// beside `target`: EWriteError for a write, EFCreateError otherwise.
[[noreturn]] inline void RaiseOutputFileError(const qv::EPendingFileError& error,
                                              const std::string& target) {
    if (error.Step() == qv::EPendingFileError::TStep::Write) {
        throw EWriteError();
    }
    throw EFCreateError(target, error.what());
}

}  // namespace qv::compress
