// Fuzz target for the table readers of the list files: any bytes as a
// senate.dat-style file (one table) and as misc.dat (three tables), and every
// field read shown and sorted as the views do.
//
// Beyond the sanitizers' checks it holds the readers to their promises: a
// result of 0 or -1 only, a read list whose rows all have the header's field
// count of non-empty fields without line ends, one selection flag per row,
// nothing left behind by a failed read, and a list that the writer can
// write reads back unchanged.
#include <cstdint>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "list_checks.h"
#include "lists/list_text.h"
#include "lists/official_list.h"
#include "support/fuzz_support.h"

namespace {

void CheckList(const TOfficialList& list) {
    for (int row = 0; row < list.RowCount(); ++row) {
        for (int col = 0; col < list.FieldCount(); ++col) {
            const std::string& field = list.Field(row, col);
            QV_FUZZ_CHECK(!field.empty());
            QV_FUZZ_CHECK(field.find('\n') == std::string::npos);
            QV_FUZZ_CHECK(qv::IsValidUtf8(DisplayText(field)));
            AlphabeticKey(field);
        }
    }
    if (qv::fuzz::AllFieldsWritable(list)) {
        qv::fuzz::CheckWritesBack(list);
    }
}

bool IsEmpty(const TOfficialList& list) {
    return list.RowCount() == 0 && list.FieldCount() == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto& scratch = qv::fuzz::TScratchFolder::Get();

    const std::string table = scratch.Write("senate.dat", bytes);
    TOfficialList list;
    std::vector<std::uint8_t> selected{1, 1, 1};
    const int result = LoadOfficialList(table, list, &selected);
    QV_FUZZ_CHECK(result == 0 || result == -1);
    if (result == 0) {
        QV_FUZZ_CHECK(selected.size() == static_cast<std::size_t>(list.RowCount()));
        CheckList(list);
    } else {
        QV_FUZZ_CHECK(IsEmpty(list) && selected.empty());
    }

    const std::string misc = scratch.Write("misc.dat", bytes);
    TOfficialList spare, multimedia, links;
    const int miscResult = LoadMiscFile(misc, spare, multimedia, links);
    QV_FUZZ_CHECK(miscResult == 0 || miscResult == -1);
    if (miscResult == 0) {
        // The first section is read exactly as a table file is.
        QV_FUZZ_CHECK(result == 0 && spare.RowCount() == list.RowCount() &&
                      spare.FieldCount() == list.FieldCount());
    } else {
        QV_FUZZ_CHECK(IsEmpty(links));
    }
    for (const TOfficialList* section : {&spare, &multimedia, &links}) {
        CheckList(*section);
    }
    return 0;
}
