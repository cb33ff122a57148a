#include "lists/zip_districts.h"

#include <algorithm>
#include <fstream>

#include "lists/list_format.h"
#include "lists/official_list.h"
#include "lists/us_states.h"

using namespace qv_lists_detail;

namespace qv {

namespace {

constexpr std::string_view kHeader = "state_fips,state_abbr,zcta,cd";

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of a run of decimal digits short enough not to overflow.
std::uint32_t Decimal(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

std::vector<std::string_view> SplitCommas(std::string_view line) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        parts.push_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

// "1st", "2nd", "3rd", "4th" ... "11th", "12th", "13th" ... "21st".
std::string Ordinal(int n) {
    static const char* const kSuffix[] = {"th", "st", "nd", "rd"};
    const int last = n % 10;
    const bool teen = n % 100 >= 11 && n % 100 <= 13;
    return std::to_string(n) + (teen || last > 3 ? "th" : kSuffix[last]);
}

// "a", "a and b", "a, b and c".
std::string JoinAnd(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += i + 1 == items.size() ? " and " : ", ";
        }
        text += items[i];
    }
    return text;
}

std::string Possessive(std::string_view name) {
    // Plural names take the apostrophe alone: "the Virgin Islands'".
    return std::string(name) + (name.ends_with("Islands") ? "'" : "'s");
}

std::string StateName(const std::string& abbreviation) {
    const int index = UsStateIndex(abbreviation);
    return index < 0 ? abbreviation : std::string(UsStates()[static_cast<std::size_t>(index)].Name);
}

// "Ohio's 3rd and 15th districts", "Wyoming's at-large district".
std::string StateDistricts(const std::string& state, const std::vector<int>& numbers) {
    std::vector<std::string> ordinals;
    for (int n : numbers) {
        ordinals.push_back(n == 0 ? "at-large" : Ordinal(n));
    }
    return Possessive(StateName(state)) + " " + JoinAnd(ordinals) +
           (numbers.size() > 1 ? " districts" : " district");
}

}  // namespace

std::string NormalizeZip(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    const std::string_view zip =
        first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
    const bool plusFour =
        (zip.size() == 10 && (zip[5] == '-' || zip[5] == ' ') && AllDigits(zip.substr(6))) ||
        (zip.size() == 9 && AllDigits(zip.substr(5)));
    if ((zip.size() != 5 && !plusFour) || !AllDigits(zip.substr(0, 5))) {
        throw EMalformedZip(text);
    }
    return std::string(zip.substr(0, 5));
}

std::string DistrictSentence(const std::vector<TDistrict>& districts) {
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < districts.size();) {
        std::vector<int> numbers;
        std::size_t j = i;
        for (; j < districts.size() && districts[j].State == districts[i].State; ++j) {
            numbers.push_back(districts[j].Number);
        }
        parts.push_back(StateDistricts(districts[i].State, numbers));
        i = j;
    }
    return "This ZIP code lies in " + JoinAnd(parts) +
           (districts.size() > 1 ? "; your street address decides which." : ".");
}

TZipDistricts TZipDistricts::Load(const std::string& path) {
    std::ifstream in;
    if (!OpenListFile(path, in)) {
        throw EZipTableError("Cannot open the ZIP code table " + path);
    }
    TZipDistricts table = Read(in, path);
    if (in.bad()) {
        throw EZipTableError("Cannot read the ZIP code table " + path);
    }
    return table;
}

TZipDistricts TZipDistricts::Read(std::istream& in, const std::string& name) {
    TZipDistricts table;
    std::string line;
    if (!ReadLine(in, line) || line != kHeader) {
        throw EZipTableError(name + " line 1: not a ZIP code table (expected the header \"" +
                             std::string(kHeader) + "\")");
    }
    for (long number = 2; ReadLine(in, line); ++number) {
        if (line.empty()) {
            continue;
        }
        const auto bad = [&](const std::string& what) {
            return EZipTableError(name + " line " + std::to_string(number) + ": " + what);
        };
        const std::vector<std::string_view> parts = SplitCommas(line);
        if (parts.size() != 4) {
            throw bad("expected four fields");
        }
        const std::string_view fips = parts[0], state = parts[1], zip = parts[2], cd = parts[3];
        if (fips.size() != 2 || !AllDigits(fips)) {
            throw bad("state code is not two digits");
        }
        const int stateIndex = UsStateIndex(state);
        if (stateIndex < 0) {
            throw bad("unknown state " + std::string(state));
        }
        if (zip.size() != 5 || !AllDigits(zip)) {
            throw bad("ZIP code area is not five digits");
        }
        const int seats = UsStates()[static_cast<std::size_t>(stateIndex)].Seats;
        const bool isNumber = !cd.empty() && cd.size() <= 2 && AllDigits(cd);
        const int district = isNumber ? static_cast<int>(Decimal(cd)) : -1;
        // A state with one seat has only the at-large one, numbered 0.
        if (seats == 1 ? district != 0 : district < 1 || district > seats) {
            throw bad("district " + std::string(cd) + " is not a seat of " + std::string(state));
        }
        table.entries_.push_back({Decimal(zip), static_cast<std::uint8_t>(stateIndex),
                                  static_cast<std::uint8_t>(district)});
    }
    std::sort(table.entries_.begin(), table.entries_.end());
    table.entries_.erase(std::unique(table.entries_.begin(), table.entries_.end()),
                         table.entries_.end());
    return table;
}

std::vector<TDistrict> TZipDistricts::Find(std::string_view zip) const {
    const std::uint32_t key = Decimal(NormalizeZip(zip));
    const auto [first, last] =
        std::equal_range(entries_.begin(), entries_.end(), TEntry{key, 0, 0},
                         [](const TEntry& a, const TEntry& b) { return a.Zip < b.Zip; });
    if (first == last) {
        throw EUnknownZip(zip);
    }
    std::vector<TDistrict> districts;
    for (auto it = first; it != last; ++it) {
        districts.push_back({std::string(UsStates()[it->State].Abbreviation), it->District});
    }
    return districts;
}

std::size_t TZipDistricts::ZipCount() const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        count += i == 0 || entries_[i].Zip != entries_[i - 1].Zip ? 1 : 0;
    }
    return count;
}

TZipOfficials FindZipOfficials(const TZipDistricts& table, std::string_view zip,
                               const TOfficialList& senate, const TOfficialList& house) {
    TZipOfficials found;
    found.Zip = NormalizeZip(zip);
    found.Districts = table.Find(zip);
    const auto recordsOf = [](const TOfficialList& list, const std::string& state,
                              const std::string* district, std::vector<int>& out) {
        if (list.FieldCount() < (district != nullptr ? 2 : 1)) {
            return;
        }
        for (int row = 0; row < list.RowCount(); ++row) {
            if (list.Field(row, 0) == state &&
                (district == nullptr || list.Field(row, 1) == *district)) {
                out.push_back(list.Position(row));
            }
        }
    };
    for (std::size_t i = 0; i < found.Districts.size(); ++i) {
        const std::string& state = found.Districts[i].State;
        if (i == 0 || state != found.Districts[i - 1].State) {
            recordsOf(senate, state, nullptr, found.Senators);
        }
    }
    for (const TDistrict& district : found.Districts) {
        const std::string field = DistrictField(district.Number);
        recordsOf(house, district.State, &field, found.Representatives);
    }
    return found;
}

}  // namespace qv
