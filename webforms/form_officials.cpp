#include "webforms/form_officials.h"

#include <algorithm>
#include <cctype>

#include "lists/list_text.h"
#include "lists/official_list.h"
#include "lists/us_states.h"

namespace qv::webforms {

namespace {

// Fields of the list files' records.
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
    // The records of `list` whose e-mail field is a form, each described by
    // `describe` from a reader of its fields as shown.
    const auto collect = [&officials](const TOfficialList& list, TFormOffice office,
                                      TRecordKind kind, int fields, int nameField, int emailField,
                                      const auto& describe) {
        if (list.FieldCount() < fields) {
            return;
        }
        for (int row = 0; row < list.RowCount(); ++row) {
            if (!IsWebFormAddress(list.Field(row, emailField))) {
                continue;
            }
            const auto field = [&](int index) { return DisplayText(list.Field(row, index)); };
            TWebFormOfficial official;
            official.Office = office;
            official.Record = list.Position(row);
            official.Name = field(nameField);
            official.Url = list.Field(row, emailField);
            official.Official = RecordFromList(kind, list, row);
            describe(official, field);
            officials.push_back(std::move(official));
        }
    };
    collect(senate, TFormOffice::Senate, TRecordKind::Senate, kSenateFields, 2, 3,
            [](auto& official, auto field) {
                official.State = field(0);
                official.Party = field(1);
                official.Role = "Senator";
                official.Stop = "Sen. " + ReadingOrderName(official.Name);
                official.Key = "senate/" + official.State + "/" + official.Name;
            });
    collect(house, TFormOffice::House, TRecordKind::House, kHouseFields, 3, 4,
            [](auto& official, auto field) {
                official.State = field(0);
                official.District = field(1);
                official.Party = field(2);
                const THouseTitle title = HouseTitle(official.State);
                official.Role = title.Role;
                official.Stop = std::string(title.Short) + " " + ReadingOrderName(official.Name);
                official.Key =
                    "house/" + official.State + "-" + official.District + "/" + official.Name;
            });
    if (IsWebFormAddress(president.Email)) {
        TWebFormOfficial official;
        official.Office = TFormOffice::President;
        official.Name = DisplayText(president.Name);
        official.Role = "President";
        official.Stop = "President " + ReadingOrderName(official.Name);
        official.Url = president.Email;
        official.Key = "president/" + official.Name;
        official.Official = RecordFromPresident(president);
        officials.push_back(std::move(official));
    }
    collect(leaders, TFormOffice::Leader, TRecordKind::Leader, kLeaderFields, 3, 4,
            [](auto& official, auto field) {
                official.Country = field(1);
                official.Role = field(2);
                official.Stop = Joined(official.Role, ReadingOrderName(official.Name));
                official.Key = "leader/" + official.Country + "/" + official.Name;
            });
    return officials;
}

bool PassesFilter(const TWebFormOfficial& official, const TWebFormFilter& filter) {
    return (filter.State.empty() || official.State == filter.State) &&
           (filter.Party.empty() || official.Party == filter.Party);
}

TWalkStop WalkStopFor(const TWebFormOfficial& official) {
    return {official.Key, official.Stop, official.Url, official.Official};
}

}  // namespace qv::webforms
