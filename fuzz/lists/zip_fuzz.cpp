// Fuzz target for the ZIP code table (zccd.csv): any bytes read as the
// table; the ZIP codes of its own lines, and lines as a user types them,
// looked up in it and in two small lists of officials.
//
// Beyond the sanitizers' checks it holds the code to its promises: a table
// is refused only with EZipTableError and a lookup only with
// EZipLookupError; a ZIP code the table holds is found with at least one
// district, each once and each a seat of its state; a normalized ZIP code
// is five digits.
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "lists/official_list.h"
#include "lists/us_states.h"
#include "lists/zip_districts.h"
#include "support/fuzz_support.h"

namespace {

const TOfficialList& Senate() {
    static const TOfficialList list = [] {
        TOfficialList l;
        l.Reset(5);
        l.AppendRow({"OH", "R", "Moreno, Bernie", "none", "n/a"});
        l.AppendRow({"WY", "R", "Barrasso, John", "none", "n/a"});
        return l;
    }();
    return list;
}

const TOfficialList& House() {
    static const TOfficialList list = [] {
        TOfficialList l;
        l.Reset(6);
        l.AppendRow({"OH", "3", "D", "Beatty, Joyce", "none", "n/a"});
        l.AppendRow({"WY", "AL", "R", "Hageman, Harriet", "none", "n/a"});
        return l;
    }();
    return list;
}

void CheckNormalized(std::string_view text) {
    try {
        const std::string zip = qv::NormalizeZip(text);
        QV_FUZZ_CHECK(zip.size() == 5 && zip.find_first_not_of("0123456789") == std::string::npos);
    } catch (const qv::EMalformedZip&) {
    }
}

void CheckLookup(const qv::TZipDistricts& table, std::string_view zip, bool listed) {
    try {
        const std::vector<qv::TDistrict> districts = table.Find(zip);
        QV_FUZZ_CHECK(!districts.empty());
        std::set<std::string> codes;
        for (const qv::TDistrict& district : districts) {
            const int state = qv::UsStateIndex(district.State);
            QV_FUZZ_CHECK(state >= 0 && district.Number >= 0 &&
                          district.Number <= qv::UsStates()[static_cast<std::size_t>(state)].Seats);
            QV_FUZZ_CHECK(codes.insert(qv::DistrictCode(district)).second);
        }
        QV_FUZZ_CHECK(!qv::DistrictSentence(districts).empty());
        const qv::TZipOfficials officials = qv::FindZipOfficials(table, zip, Senate(), House());
        QV_FUZZ_CHECK(officials.Districts == districts);
    } catch (const qv::EUnknownZip&) {
        QV_FUZZ_CHECK(!listed);
    } catch (const qv::EMalformedZip&) {
        QV_FUZZ_CHECK(!listed);
    }
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

}  // namespace

// Up to the first NUL byte the input is the table; after it, lines as typed
// by a user.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    const std::string_view typed = nul == std::string_view::npos ? "" : input.substr(nul + 1);

    std::istringstream in{std::string(text)};
    qv::TZipDistricts table;
    bool read = false;
    try {
        table = qv::TZipDistricts::Read(in, "zccd.csv");
        read = true;
    } catch (const qv::EZipTableError&) {
    }

    // The third field of each line of a table that was read is a ZIP code it
    // holds.
    for (const std::string_view line : Lines(read ? text : "")) {
        const std::size_t comma = line.find(',', line.find(',') + 1);
        if (comma != std::string_view::npos && !line.starts_with("state_fips")) {
            CheckLookup(table, line.substr(comma + 1, 5), true);
        }
    }
    for (const std::string_view line : Lines(typed)) {
        CheckNormalized(line);
        CheckLookup(table, line, false);
    }
    return 0;
}
