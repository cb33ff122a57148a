// A file written beside its target and moved over the target only once it is
// complete, so that a failure never leaves a partial file in the target's
// place and an existing target stays as it was until the move.
#pragma once

#include <sys/types.h>
#include <fstream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace qv {

// Raised by TPendingFile. Callers report it as their own kind of failure
// (the settings store as a refused write, the archive code as a file it
// cannot create or write); the message is the system's text for the cause.
class EPendingFileError : public std::runtime_error {
  public:
    enum class TStep {
        Create,  // no temporary file beside the target (or the target is a folder)
        Write,   // a write, the flush or the sync to disk failed
        Commit,  // the finished file could not take the target's place
    };
    EPendingFileError(TStep step, const std::string& reason)
        : std::runtime_error(reason), step_(step) {}
    TStep Step() const { return step_; }

  private:
    TStep step_;
};

struct TPendingFileOptions {
    // Flush the finished file to the disk before it replaces the target, and
    // the folder after, so that a crash leaves the old file or the new one.
    bool SyncToDisk = false;
    // Permission bits of the new file (less the umask); unset: 0666.
    std::optional<mode_t> Mode;
    // When the target is a symbolic link, replace the file it points to and
    // keep the link (otherwise the link itself is replaced).
    bool FollowLink = false;
};

// The temporary file is ".NAME.qvpartN" in the target's folder, created
// exclusively, so the final move is a rename within one file system. It is
// removed when the object is destroyed without a successful Commit. Not
// thread-safe; one object per file being written.
class TPendingFile {
  public:
    // Creates the temporary file; raises EPendingFileError (Create) when the
    // target is a folder or no temporary file can be made beside it.
    explicit TPendingFile(std::string target, TPendingFileOptions options = {});
    ~TPendingFile();

    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    std::ostream& Stream() { return stream_; }

    // Where the data is being written until Commit; valid until then.
    const std::string& TempPath() const { return temp_; }

    // Flushes and closes the temporary file (and syncs it when asked);
    // raises EPendingFileError (Write) when any write failed. Called by
    // Commit when not called before; calling it first lets the caller stamp
    // the finished file before it is moved.
    void Close();

    // Closes the file and moves it over the target; raises EPendingFileError
    // (Write or Commit), leaving the target untouched.
    void Commit();

  private:
    std::string target_;
    std::string temp_;
    TPendingFileOptions options_;
    std::ofstream stream_;
};

}  // namespace qv
