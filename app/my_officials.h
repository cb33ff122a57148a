#pragma once

// The rules of the main window's My Officials view that need no widget: the
// rows a ZIP code's lookup gives, the line that names its state and
// districts, and what the contact details' "Congressional District" takes.
// Plain C++; the window turns these into widgets.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/zip_districts.h"

// One row of the view: a senator or a representative, by list and position.
struct TMyOfficialRow {
    bool Senate = false;  // else the House list
    int Record = 0;
    bool operator==(const TMyOfficialRow&) const = default;
};

// The senators first, then the representatives, as the lookup found them.
std::vector<TMyOfficialRow> MyOfficialRows(const qv::TZipOfficials& found);

// "ZIP code 43004: Ohio, OH-3 and OH-12"; "ZIP code 30165: Alabama, AL-3;
// Georgia, GA-14". At least one district.
std::string ZipHeading(const std::string& zip, const std::vector<qv::TDistrict>& districts);

// What the contact details' "Congressional District" is to hold after a
// lookup found `districts`, when `current` is what it holds now and
// `previous` are the districts of the ZIP code remembered before (empty when
// there was none): the district's code ("OH-3") when the ZIP code lies in
// exactly one district and the field is empty or holds what the previous
// ZIP code gave it. Anything else there the user wrote, and it stays
// (nothing is returned).
std::optional<std::string> DistrictForContact(const std::vector<qv::TDistrict>& districts,
                                              std::string_view current,
                                              const std::vector<qv::TDistrict>& previous);
