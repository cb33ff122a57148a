#pragma once

// Official lists built from rows and read back as rows, for the tests.

#include <string>
#include <vector>

#include "lists/official_list.h"

using TRows = std::vector<std::vector<std::string>>;

inline TOfficialList ListOf(int fieldCount, const TRows& rows) {
    TOfficialList list;
    list.Reset(fieldCount);
    for (const auto& row : rows) {
        list.AppendRow(row);
    }
    return list;
}

inline TRows RowsOf(const TOfficialList& list) {
    TRows rows(static_cast<std::size_t>(list.RowCount()));
    for (int r = 0; r < list.RowCount(); ++r) {
        for (int c = 0; c < list.FieldCount(); ++c) {
            rows[static_cast<std::size_t>(r)].push_back(list.Field(r, c));
        }
    }
    return rows;
}
