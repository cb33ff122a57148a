// Fuzz target for the dates file (qndates2.dat) as the update server sends
// it: any bytes cut into its five lines and converted into the server's
// dates.
//
// Beyond the sanitizers' checks it holds the reader to its promises: five
// lines, none holding a line end; one warning per line that does not
// convert and a date left as it was for it; and a valid date for every line
// that does.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/fuzz_support.h"
#include "update/dates_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = qv::DatesFileLines(text);
    for (const std::string& line : lines) {
        QV_FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        QV_FUZZ_CHECK(line.size() <= text.size());
    }

    qv::TServerDates dates;
    dates.fill(qv::kNoServerDate);
    const std::vector<std::string> warnings = qv::ParseDatesFile(text, dates);
    std::size_t unchanged = 0;
    for (const qv::TDate& date : dates) {
        QV_FUZZ_CHECK(date.ok());
        unchanged += date == qv::kNoServerDate ? 1 : 0;
    }
    QV_FUZZ_CHECK(warnings.size() <= qv::kUpdateListCount);
    QV_FUZZ_CHECK(warnings.size() <= unchanged);
    return 0;
}
