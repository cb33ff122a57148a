#include "lists/list_writer.h"

#include <ostream>

#include "lists/official_list.h"

namespace qv {

bool IsWritableField(std::string_view text) {
    return !text.empty() && text.find_first_of("\"\r\n") == std::string_view::npos;
}

void WriteOfficialList(std::ostream& out, const TOfficialList& list) {
    const int fields = list.FieldCount();
    for (int row = 0; row < list.RowCount(); ++row) {
        for (int col = 0; col < fields; ++col) {
            if (!IsWritableField(list.Field(row, col))) {
                throw EListFieldError(row, col);
            }
        }
    }
    out << fields << ' ' << list.RowCount() << "\r\n";
    for (int row = 0; row < list.RowCount(); ++row) {
        for (int col = 0; col < fields; ++col) {
            const std::string& text = list.Field(row, col);
            if (col > 0) {
                out << ',';
            }
            if (text.find(',') != std::string::npos || fields == 1) {
                out << '"' << text << '"';
            } else {
                out << text;
            }
        }
        out << "\r\n";
    }
}

}  // namespace qv
