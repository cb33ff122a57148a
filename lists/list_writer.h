#pragma once

// Writes a table in the list file format that the readers of
// lists/official_list.h take back unchanged.

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

class TOfficialList;

namespace qv {

// A field the format cannot carry: empty, or holding a double quote, a CR or
// an LF (there is no escape).
class EListFieldError : public std::runtime_error {
  public:
    EListFieldError(int row, int column)
        : std::runtime_error("List field cannot be written: record " + std::to_string(row + 1) +
                             ", field " + std::to_string(column + 1)) {}
};

// True when `text` can stand as a field of a list file.
bool IsWritableField(std::string_view text);

// Writes the header "N R" and one line per row, lines ended by CR LF. A
// field is quoted when it holds a comma, and the first field of a one-field
// table always, since a record's first field needs a terminator. Raises
// EListFieldError before writing anything when a field cannot be written;
// stream failures are the caller's to check.
void WriteOfficialList(std::ostream& out, const TOfficialList& list);

}  // namespace qv
