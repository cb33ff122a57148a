// Checks the list fuzz targets share.
#pragma once

#include <sstream>

#include "lists/list_writer.h"
#include "lists/official_list.h"
#include "support/fuzz_support.h"

namespace qv::fuzz {

inline bool SameList(const TOfficialList& a, const TOfficialList& b) {
    if (a.RowCount() != b.RowCount() || a.FieldCount() != b.FieldCount()) {
        return false;
    }
    for (int row = 0; row < a.RowCount(); ++row) {
        for (int col = 0; col < a.FieldCount(); ++col) {
            if (a.Field(row, col) != b.Field(row, col)) {
                return false;
            }
        }
    }
    return true;
}

inline bool AllFieldsWritable(const TOfficialList& list) {
    for (int row = 0; row < list.RowCount(); ++row) {
        for (int col = 0; col < list.FieldCount(); ++col) {
            if (!IsWritableField(list.Field(row, col))) {
                return false;
            }
        }
    }
    return true;
}

// A list written by WriteOfficialList reads back as the same list.
inline void CheckWritesBack(const TOfficialList& list) {
    std::stringstream file;
    WriteOfficialList(file, list);
    int fieldCount = 0;
    int recordCount = 0;
    TOfficialList read;
    QV_FUZZ_CHECK(ReadListHeader(file, fieldCount, recordCount) == 0);
    QV_FUZZ_CHECK(ReadListSection(file, fieldCount, recordCount, read) == 0);
    QV_FUZZ_CHECK(SameList(read, list));
}

}  // namespace qv::fuzz
