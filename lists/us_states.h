#pragma once

// The states, the District of Columbia and the territories that send a
// member to the House, the seats each holds, and how the lists name a seat.

#include <span>
#include <string>
#include <string_view>

namespace qv {

struct TUsState {
    std::string_view Abbreviation;  // as the list files write it
    std::string_view Name;          // for sentences ("Ohio", "the District of Columbia")
    // House seats under the 2020 apportionment; 1 for the District and each
    // territory, whose one member is a delegate (Puerto Rico's a Resident
    // Commissioner).
    int Seats;
    bool IsState;  // false for the District and the territories
};

// In the order of the territory filter: the states alphabetically by name,
// with American Samoa after Alaska, DC after Connecticut, Guam after
// Georgia, Puerto Rico after Pennsylvania and the Virgin Islands after
// Vermont. The Northern Mariana Islands, which the filter lacks, stand in
// their alphabetical place after North Dakota. 56 entries.
std::span<const TUsState> UsStates();

// The entry's index in UsStates(), or -1 for an abbreviation not listed.
// Letter case counts, as in the list files.
int UsStateIndex(std::string_view abbreviation);

// The at-large seat's label in the list files and district codes.
inline constexpr std::string_view kAtLargeDistrict = "AL";

struct TDistrict {
    std::string State;  // abbreviation, as in the list files
    int Number = 0;     // 0 for an at-large seat
    bool operator==(const TDistrict&) const = default;
};

// "OH-3"; "WY-AL" for an at-large seat.
std::string DistrictCode(const TDistrict& district);

// The district as the House list writes it: "3", or "AL".
std::string DistrictField(int number);

}  // namespace qv
