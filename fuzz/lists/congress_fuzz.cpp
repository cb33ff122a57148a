// Fuzz target for the import of the congress-legislators dataset: any bytes
// read as legislators-current.yaml into the Senate and House lists.
//
// Beyond the sanitizers' checks it holds the import to its promises: bad
// data is refused only with ECongressDataError; lists it builds have their
// files' field counts, no more vacant seats than seats, and only fields the
// list format can carry, so that a written list reads back unchanged.
#include <cstdint>
#include <sstream>
#include <string>

#include "list_checks.h"
#include "lists/congress/congress_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    qv::TCongressLists lists;
    try {
        lists = qv::ReadCongressLists(in, "legislators-current.yaml");
    } catch (const qv::ECongressDataError&) {
        return 0;
    }
    QV_FUZZ_CHECK(lists.Senate.FieldCount() == 5 || lists.Senate.RowCount() == 0);
    QV_FUZZ_CHECK(lists.House.FieldCount() == 6 || lists.House.RowCount() == 0);
    QV_FUZZ_CHECK(lists.VacantSeats >= 0 && lists.VacantSeats <= lists.House.RowCount());
    QV_FUZZ_CHECK(qv::fuzz::AllFieldsWritable(lists.Senate) &&
                  qv::fuzz::AllFieldsWritable(lists.House));
    qv::fuzz::CheckWritesBack(lists.Senate);
    qv::fuzz::CheckWritesBack(lists.House);
    return 0;
}
