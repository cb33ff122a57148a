// Failures of the record of sent messages. Each class stands for one kind of
// failure; the message names the file and gives the cause.
#pragma once

#include <stdexcept>
#include <string>

namespace qv::sent {

class ESentRecordError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The record cannot be opened or created at all (its folder cannot be made,
// a folder stands where the file should be, the file was written by a newer
// version, or a damaged file could not be set aside).
class ESentOpenError : public ESentRecordError {
  public:
    ESentOpenError(const std::string& path, const std::string& cause)
        : ESentRecordError("Unable to open the record of sent messages " + path + ": " + cause) {}
};

// A change to the record failed; the record stays as it was before it.
class ESentWriteError : public ESentRecordError {
  public:
    explicit ESentWriteError(const std::string& cause)
        : ESentRecordError("Unable to write to the record of sent messages: " + cause) {}
};

class ESentReadError : public ESentRecordError {
  public:
    explicit ESentReadError(const std::string& cause)
        : ESentRecordError("Unable to read the record of sent messages: " + cause) {}
};

// A message could not be exported to path.
class ESentExportError : public ESentRecordError {
  public:
    ESentExportError(const std::string& path, const std::string& cause)
        : ESentRecordError("Unable to write to " + path + ": " + cause) {}
};

}  // namespace qv::sent
