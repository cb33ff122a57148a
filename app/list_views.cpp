#include "app/list_views.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "lists/official_list.h"

namespace {

const std::vector<TFilterItem> kStates{
    {"(All)", ""},
    {"Alabama", "AL"},
    {"Alaska", "AK"},
    {"Arkansas", "AR"},
    {"Arizona", "AZ"},
    {"California", "CA"},
    {"Colorado", "CO"},
    {"Connecticut", "CT"},
    {"Delaware", "DE"},
    {"Florida", "FL"},
    {"Georgia", "GA"},
    {"Hawaii", "HI"},
    {"Idaho", "ID"},
    {"Illinois", "IL"},
    {"Indiana", "IN"},
    {"Iowa", "IA"},
    {"Kansas", "KS"},
    {"Kentucky", "KY"},
    {"Louisiana", "LA"},
    {"Maine", "ME"},
    {"Maryland", "MD"},
    {"Massachusetts", "MA"},
    {"Michigan", "MI"},
    {"Minnesota", "MN"},
    {"Mississippi", "MS"},
    {"Missouri", "MO"},
    {"Montana", "MT"},
    {"Nebraska", "NE"},
    {"Nevada", "NV"},
    {"New Hampshire", "NH"},
    {"New Jersey", "NJ"},
    {"New Mexico", "NM"},
    {"New York", "NY"},
    {"North Carolina", "NC"},
    {"North Dakota", "ND"},
    {"Ohio", "OH"},
    {"Oklahoma", "OK"},
    {"Oregon", "OR"},
    {"Pennsylvania", "PA"},
    {"Rhode Island", "RI"},
    {"South Carolina", "SC"},
    {"South Dakota", "SD"},
    {"Tennessee", "TN"},
    {"Texas", "TX"},
    {"Utah", "UT"},
    {"Vermont", "VT"},
    {"Virginia", "VA"},
    {"Washington", "WA"},
    {"West Virginia", "WV"},
    {"Wisconsin", "WI"},
    {"Wyoming", "WY"},
};

// The states with the five territories each after the state it follows.
std::vector<TFilterItem> WithTerritories() {
    const struct {
        const char* After;
        TFilterItem Territory;
    } territories[] = {
        {"Alaska", {"American Samoa", "AS"}},  {"Connecticut", {"DC", "DC"}},
        {"Georgia", {"Guam", "GU"}},           {"Pennsylvania", {"Puerto Rico", "PR"}},
        {"Vermont", {"Virgin Islands", "VI"}},
    };
    std::vector<TFilterItem> items;
    for (const TFilterItem& state : kStates) {
        items.push_back(state);
        for (const auto& territory : territories)
            if (std::string_view(territory.After) == state.Name)
                items.push_back(territory.Territory);
    }
    return items;
}

const std::vector<TFilterItem> kTerritories = WithTerritories();

const std::vector<TFilterItem> kContinents{
    {"(all)", ""},
    {"Europe", ""},
    {"Asia", ""},
    {"North America", ""},
    {"South America", ""},
    {"Africa", ""},
    {"Australia & Pacific Islands", ""},
};

const TViewLayout kLayouts[] = {
    {"Senate",
     "State:",
     1,
     {{""},
      {"email"},
      {"St.", TColumnAlignment::Centre},
      {"Party", TColumnAlignment::Centre},
      {"Name"},
      {"email Address"},
      {"Home Page"}}},
    {"House Of Representatives",
     "State:",
     1,
     {{""},
      {"email"},
      {"St.", TColumnAlignment::Centre},
      {"Dist.", TColumnAlignment::Centre},
      {"Party", TColumnAlignment::Centre},
      {"Name"},
      {"email Address"},
      {"Home Page"}}},
    {"President", "State:", 1, {{""}, {"email"}, {"Name"}, {"email Address"}, {"Home Page"}}},
    {"World Leaders",
     "Country:",
     2,
     {{""}, {""}, {"Country"}, {"Title"}, {"Name"}, {"email Address"}, {"Home Page"}}},
};

const TViewLayout kMyOfficialsLayout{"My Officials",
                                     "ZIP Code:",
                                     1,
                                     {{""},
                                      {"email"},
                                      {"Chamber"},
                                      {"St.", TColumnAlignment::Centre},
                                      {"Dist.", TColumnAlignment::Centre},
                                      {"Party", TColumnAlignment::Centre},
                                      {"Name"},
                                      {"email Address"},
                                      {"Home Page"}}};

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

}  // namespace

const TViewLayout& ViewLayout(TListView view) {
    return view == MyOfficialsView ? kMyOfficialsLayout : kLayouts[view];
}

const std::vector<TFilterItem>& StateItems() {
    return kStates;
}

const std::vector<TFilterItem>& TerritoryItems() {
    return kTerritories;
}

const std::vector<TFilterItem>& ContinentItems() {
    return kContinents;
}

std::string FilterText(const std::vector<TFilterItem>& items, int item) {
    if (item <= 0 || item >= static_cast<int>(items.size()))
        return "All";
    return items[item].Abbreviation;
}

std::vector<int> MatchingRecords(const TOfficialList& list, std::string_view filterText) {
    std::vector<int> positions;
    const bool all = filterText == "All";
    for (int row = 0; row < list.RowCount(); ++row)
        if (all || list.Field(row, 0) == filterText)
            positions.push_back(row);
    return positions;
}

std::vector<int> MatchingLeaders(const TOfficialList& list, int continent) {
    std::vector<int> positions;
    for (int row = 0; row < list.RowCount(); ++row) {
        const std::string& field = list.Field(row, 0);
        int number = 0;
        const auto [end, error] =
            std::from_chars(field.data(), field.data() + field.size(), number);
        const bool onContinent =
            error == std::errc() && end == field.data() + field.size() && number == continent;
        if (continent == 0 || onContinent)
            positions.push_back(row);
    }
    return positions;
}

bool CheckBoxDisabledFor(std::string_view email) {
    return EqualsIgnoringCase(email, "none") || email.substr(0, 4) == "http";
}

bool IsDeadLink(std::string_view text) {
    return EqualsIgnoringCase(text, "none") || EqualsIgnoringCase(text, "n/a");
}

TLinkAction LinkActionFor(std::string_view text) {
    // A blank cell (the row of a filter that matches nobody) is no address.
    if (text.empty() || IsDeadLink(text))
        return TLinkAction::Nothing;
    if (text.substr(0, 4) == "http")
        return TLinkAction::OpenPage;
    return TLinkAction::WriteEmail;
}

int CarriedFilterItem(const std::vector<TFilterItem>& items, std::string_view otherText) {
    for (int item = 0; item < static_cast<int>(items.size()); ++item)
        if (otherText == items[item].Name)
            return item;
    return 1;
}
