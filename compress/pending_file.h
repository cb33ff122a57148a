#pragma once

#include <fstream>
#include <ostream>
#include <string>

namespace qv::compress {

// A file written beside its target and moved over the target only once it is
// complete, so that a failure never leaves a partial file in the target's
// place and an existing target stays as it was until the move.
//
// The temporary file lives in the target's folder (".NAME.qvpartN"), so the
// final move is a rename within one file system. It is removed when the
// object is destroyed without a successful Commit. Not thread-safe; one
// object per file being written.
class TPendingFile {
  public:
    // Creates the temporary file. Raises EFCreateError when the target is a
    // folder or no temporary file can be created beside it.
    explicit TPendingFile(std::string target);
    ~TPendingFile();

    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;

    std::ostream& Stream() { return stream_; }

    // Where the data is being written until Commit; valid until then.
    const std::string& TempPath() const { return temp_; }

    // Flushes and closes the temporary file; raises EWriteError when any
    // write failed. Called by Commit when not called before; calling it first
    // lets the caller stamp the finished file before it is moved.
    void Close();

    // Closes the file and moves it over the target; raises EWriteError or
    // EFCreateError, leaving the target untouched.
    void Commit();

  private:
    std::string target_;
    std::string temp_;
    std::ofstream stream_;
};

}  // namespace qv::compress
