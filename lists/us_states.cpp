#include "lists/us_states.h"

#include <array>

namespace qv {

namespace {

constexpr std::array<TUsState, 56> kStates{{
    {"AL", "Alabama", 7, true},
    {"AK", "Alaska", 1, true},
    {"AS", "American Samoa", 1, false},
    {"AZ", "Arizona", 9, true},
    {"AR", "Arkansas", 4, true},
    {"CA", "California", 52, true},
    {"CO", "Colorado", 8, true},
    {"CT", "Connecticut", 5, true},
    {"DC", "the District of Columbia", 1, false},
    {"DE", "Delaware", 1, true},
    {"FL", "Florida", 28, true},
    {"GA", "Georgia", 14, true},
    {"GU", "Guam", 1, false},
    {"HI", "Hawaii", 2, true},
    {"ID", "Idaho", 2, true},
    {"IL", "Illinois", 17, true},
    {"IN", "Indiana", 9, true},
    {"IA", "Iowa", 4, true},
    {"KS", "Kansas", 4, true},
    {"KY", "Kentucky", 6, true},
    {"LA", "Louisiana", 6, true},
    {"ME", "Maine", 2, true},
    {"MD", "Maryland", 8, true},
    {"MA", "Massachusetts", 9, true},
    {"MI", "Michigan", 13, true},
    {"MN", "Minnesota", 8, true},
    {"MS", "Mississippi", 4, true},
    {"MO", "Missouri", 8, true},
    {"MT", "Montana", 2, true},
    {"NE", "Nebraska", 3, true},
    {"NV", "Nevada", 4, true},
    {"NH", "New Hampshire", 2, true},
    {"NJ", "New Jersey", 12, true},
    {"NM", "New Mexico", 3, true},
    {"NY", "New York", 26, true},
    {"NC", "North Carolina", 14, true},
    {"ND", "North Dakota", 1, true},
    {"MP", "the Northern Mariana Islands", 1, false},
    {"OH", "Ohio", 15, true},
    {"OK", "Oklahoma", 5, true},
    {"OR", "Oregon", 6, true},
    {"PA", "Pennsylvania", 17, true},
    {"PR", "Puerto Rico", 1, false},
    {"RI", "Rhode Island", 2, true},
    {"SC", "South Carolina", 7, true},
    {"SD", "South Dakota", 1, true},
    {"TN", "Tennessee", 9, true},
    {"TX", "Texas", 38, true},
    {"UT", "Utah", 4, true},
    {"VT", "Vermont", 1, true},
    {"VI", "the Virgin Islands", 1, false},
    {"VA", "Virginia", 11, true},
    {"WA", "Washington", 10, true},
    {"WV", "West Virginia", 2, true},
    {"WI", "Wisconsin", 8, true},
    {"WY", "Wyoming", 1, true},
}};

constexpr bool AddsUp() {
    int states = 0;
    int seats = 0;
    for (const TUsState& s : kStates) {
        states += s.IsState ? 1 : 0;
        seats += s.IsState ? s.Seats : 0;
    }
    return states == 50 && seats == 435;
}
static_assert(AddsUp(), "50 states sharing the House's 435 seats");

}  // namespace

std::span<const TUsState> UsStates() {
    return kStates;
}

int UsStateIndex(std::string_view abbreviation) {
    for (std::size_t i = 0; i < kStates.size(); ++i) {
        if (kStates[i].Abbreviation == abbreviation) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string DistrictField(int number) {
    return number == 0 ? std::string(kAtLargeDistrict) : std::to_string(number);
}

std::string DistrictCode(const TDistrict& district) {
    return district.State + "-" + DistrictField(district.Number);
}

}  // namespace qv
