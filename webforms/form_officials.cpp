#include "webforms/form_officials.h"

#include <algorithm>
#include <cctype>

#include "lists/list_text.h"
#include "lists/official_list.h"
#include "lists/us_states.h"

namespace qv::webforms {

namespace {

// Field positions in the list files.
constexpr int kSenateFields = 5;  // state, party, name, e-mail, home page
constexpr int kHouseFields = 6;   // state, district, party, name, e-mail, home page
constexpr int kLeaderFields = 6;  // continent, country, title, name, e-mail, home page

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() &&
           std::equal(lowerPrefix.begin(), lowerPrefix.end(), text.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

// A member of the House by seat, and the short title the walk's bar puts in
// front of the name: the District and the territories send delegates, and
// Puerto Rico a Resident Commissioner.
struct THouseTitle {
    const char* Role;
    const char* Short;
};

THouseTitle HouseTitle(const std::string& state) {
    if (state == "PR") {
        return {"Resident Commissioner", "Res. Comm."};
    }
    const int index = UsStateIndex(state);
    const bool isState = index < 0 || UsStates()[static_cast<std::size_t>(index)].IsState;
    return isState ? THouseTitle{"Representative", "Rep."} : THouseTitle{"Delegate", "Del."};
}

std::string Joined(const std::string& title, const std::string& name) {
    return title.empty() ? name : title + " " + name;
}

}  // namespace

bool IsWebFormAddress(std::string_view email) {
    return StartsWithIgnoringCase(email, "http://") || StartsWithIgnoringCase(email, "https://");
}

std::vector<TWebFormOfficial> WebFormOfficials(const TOfficialList& senate,
                                               const TOfficialList& house,
                                               const TOfficialList& leaders,
                                               const TPresidentRecord& president) {
    std::vector<TWebFormOfficial> officials;
    if (senate.FieldCount() >= kSenateFields) {
        for (int row = 0; row < senate.RowCount(); ++row) {
            if (!IsWebFormAddress(senate.Field(row, 3))) {
                continue;
            }
            TWebFormOfficial official;
            official.Office = TFormOffice::Senate;
            official.Record = senate.Position(row);
            official.State = DisplayText(senate.Field(row, 0));
            official.Party = DisplayText(senate.Field(row, 1));
            official.Name = DisplayText(senate.Field(row, 2));
            official.Role = "Senator";
            official.Stop = "Sen. " + ReadingOrderName(official.Name);
            official.Url = senate.Field(row, 3);
            official.Key = "senate/" + official.State + "/" + official.Name;
            officials.push_back(std::move(official));
        }
    }
    if (house.FieldCount() >= kHouseFields) {
        for (int row = 0; row < house.RowCount(); ++row) {
            if (!IsWebFormAddress(house.Field(row, 4))) {
                continue;
            }
            TWebFormOfficial official;
            official.Office = TFormOffice::House;
            official.Record = house.Position(row);
            official.State = DisplayText(house.Field(row, 0));
            official.District = DisplayText(house.Field(row, 1));
            official.Party = DisplayText(house.Field(row, 2));
            official.Name = DisplayText(house.Field(row, 3));
            const THouseTitle title = HouseTitle(official.State);
            official.Role = title.Role;
            official.Stop = std::string(title.Short) + " " + ReadingOrderName(official.Name);
            official.Url = house.Field(row, 4);
            official.Key =
                "house/" + official.State + "-" + official.District + "/" + official.Name;
            officials.push_back(std::move(official));
        }
    }
    if (IsWebFormAddress(president.Email)) {
        TWebFormOfficial official;
        official.Office = TFormOffice::President;
        official.Name = DisplayText(president.Name);
        official.Role = "President";
        official.Stop = "President " + ReadingOrderName(official.Name);
        official.Url = president.Email;
        official.Key = "president/" + official.Name;
        officials.push_back(std::move(official));
    }
    if (leaders.FieldCount() >= kLeaderFields) {
        for (int row = 0; row < leaders.RowCount(); ++row) {
            if (!IsWebFormAddress(leaders.Field(row, 4))) {
                continue;
            }
            TWebFormOfficial official;
            official.Office = TFormOffice::Leader;
            official.Record = leaders.Position(row);
            official.Country = DisplayText(leaders.Field(row, 1));
            official.Name = DisplayText(leaders.Field(row, 3));
            official.Role = DisplayText(leaders.Field(row, 2));
            official.Stop = Joined(official.Role, ReadingOrderName(official.Name));
            official.Url = leaders.Field(row, 4);
            official.Key = "leader/" + official.Country + "/" + official.Name;
            officials.push_back(std::move(official));
        }
    }
    return officials;
}

bool PassesFilter(const TWebFormOfficial& official, const TWebFormFilter& filter) {
    return (filter.State.empty() || official.State == filter.State) &&
           (filter.Party.empty() || official.Party == filter.Party);
}

TWalkStop WalkStopFor(const TWebFormOfficial& official) {
    return {official.Key, official.Stop, official.Url};
}

}  // namespace qv::webforms
