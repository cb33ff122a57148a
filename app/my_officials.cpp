#include "app/my_officials.h"

#include "base/trim.h"
#include "lists/us_states.h"

std::vector<TMyOfficialRow> MyOfficialRows(const qv::TZipOfficials& found) {
    std::vector<TMyOfficialRow> rows;
    for (const int record : found.Senators)
        rows.push_back({true, record});
    for (const int record : found.Representatives)
        rows.push_back({false, record});
    return rows;
}

std::string ZipHeading(const std::string& zip, const std::vector<qv::TDistrict>& districts) {
    std::string heading = "ZIP code " + zip + ":";
    for (std::size_t i = 0; i < districts.size();) {
        const std::string& state = districts[i].State;
        const int index = qv::UsStateIndex(state);
        heading += i == 0 ? " " : "; ";
        heading += index < 0 ? state : std::string(qv::UsStates()[index].Name);
        heading += ", ";
        std::size_t j = i;
        for (; j < districts.size() && districts[j].State == state; ++j) {
            if (j > i)
                heading +=
                    j + 1 < districts.size() && districts[j + 1].State == state ? ", " : " and ";
            heading += qv::DistrictCode(districts[j]);
        }
        i = j;
    }
    return heading;
}

std::optional<std::string> DistrictForContact(const std::vector<qv::TDistrict>& districts,
                                              std::string_view current,
                                              const std::vector<qv::TDistrict>& previous) {
    if (districts.size() != 1)
        return std::nullopt;
    const std::string code = qv::DistrictCode(districts.front());
    const std::string_view written = qv::TrimSpacesTabsAndLineBreaks(current);
    const bool programWrote = previous.size() == 1 && written == qv::DistrictCode(previous.front());
    if (written.empty() || written == code || programWrote)
        return code;
    return std::nullopt;
}
