#include "app/list_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/official_list.h"

namespace {

std::vector<std::string> Names(const std::vector<TFilterItem>& items) {
    std::vector<std::string> names;
    for (const TFilterItem& item : items)
        names.push_back(item.Name);
    return names;
}

TEST(ListViewsTest, FilterBoxesHoldTheirItemsWithParallelAbbreviations) {
    const auto& states = StateItems();
    ASSERT_EQ(states.size(), 51u);
    EXPECT_STREQ(states[0].Name, "(All)");
    EXPECT_STREQ(states[1].Abbreviation, "AL");
    EXPECT_STREQ(states[4].Name, "Arizona");  // after Arkansas, as the box has it
    EXPECT_STREQ(states[50].Abbreviation, "WY");

    const auto& territories = TerritoryItems();
    ASSERT_EQ(territories.size(), 56u);
    struct TRow {
        const char* Name;
        const char* Abbreviation;
        const char* After;
    };
    for (const TRow& row : {TRow{"American Samoa", "AS", "Alaska"},
                            {"DC", "DC", "Connecticut"},
                            {"Guam", "GU", "Georgia"},
                            {"Puerto Rico", "PR", "Pennsylvania"},
                            {"Virgin Islands", "VI", "Vermont"}}) {
        SCOPED_TRACE(row.Name);
        const int at = CarriedFilterItem(territories, row.Name);
        EXPECT_STREQ(territories[at].Abbreviation, row.Abbreviation);
        EXPECT_STREQ(territories[at - 1].Name, row.After);
    }
    // Without the five, the territory box is the state box.
    std::vector<std::string> statesOnly;
    for (const TFilterItem& item : territories)
        if (CarriedFilterItem(states, item.Name) != 1 || std::string(item.Name) == "Alabama")
            statesOnly.push_back(item.Name);
    EXPECT_EQ(statesOnly, Names(states));

    EXPECT_EQ(Names(ContinentItems()),
              (std::vector<std::string>{"(all)", "Europe", "Asia", "North America", "South America",
                                        "Africa", "Australia & Pacific Islands"}));
}

TEST(ListViewsTest, FiltersLetThroughTheMatchingRecordsInFileOrder) {
    TOfficialList senate;
    senate.Reset(3);
    for (const char* state : {"OH", "AL", "GU", "AL", "ALA"})
        senate.AppendRow({state, "D", "Name"});
    struct TRow {
        int Item;
        const std::vector<TFilterItem>* Box;
        std::string Filter;
        std::vector<int> Records;
    };
    const TRow rows[] = {
        {0, &StateItems(), "All", {0, 1, 2, 3, 4}},
        {1, &StateItems(), "AL", {1, 3}},
        {35, &StateItems(), "OH", {0}},
        {13, &TerritoryItems(), "GU", {2}},
        {2, &StateItems(), "AK", {}},
        {99, &StateItems(), "All", {0, 1, 2, 3, 4}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Filter);
        EXPECT_EQ(FilterText(*row.Box, row.Item), row.Filter);
        EXPECT_EQ(MatchingRecords(senate, row.Filter), row.Records);
    }

    TOfficialList leaders;
    leaders.Reset(2);
    for (const char* continent : {"1", "2", "1", "6", "x", ""})
        leaders.AppendRow({continent, "Country"});
    EXPECT_EQ(MatchingLeaders(leaders, 0), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(MatchingLeaders(leaders, 1), (std::vector<int>{0, 2}));
    EXPECT_EQ(MatchingLeaders(leaders, 6), (std::vector<int>{3}));
    EXPECT_EQ(MatchingLeaders(leaders, 5), (std::vector<int>{}));
}

TEST(ListViewsTest, CellTextDecidesTickClickAndPointer) {
    struct TRow {
        const char* Text;
        bool BoxDisabled;
        TLinkAction Click;
    };
    const TRow rows[] = {
        {"someone@senate.example", false, TLinkAction::WriteEmail},
        {"none", true, TLinkAction::Nothing},
        {"NONE", true, TLinkAction::Nothing},
        {"n/a", false, TLinkAction::Nothing},
        {"N/A", false, TLinkAction::Nothing},
        {"https://www.example.senate.gov/contact", true, TLinkAction::OpenPage},
        {"http", true, TLinkAction::OpenPage},
        {"nonexistent@example", false, TLinkAction::WriteEmail},
        {"", false, TLinkAction::Nothing},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(CheckBoxDisabledFor(row.Text), row.BoxDisabled);
        EXPECT_EQ(LinkActionFor(row.Text), row.Click);
        EXPECT_EQ(IsDeadLink(row.Text), row.Click == TLinkAction::Nothing && *row.Text != '\0');
    }
}

TEST(ListViewsTest, FilterCarriesOverBetweenSenateAndHouse) {
    EXPECT_EQ(CarriedFilterItem(StateItems(), "Guam"), 1);
    EXPECT_EQ(CarriedFilterItem(StateItems(), "Ohio"), 35);
    EXPECT_EQ(CarriedFilterItem(TerritoryItems(), "Ohio"), 38);
    EXPECT_EQ(CarriedFilterItem(StateItems(), "(All)"), 0);
    EXPECT_EQ(CarriedFilterItem(TerritoryItems(), "(All)"), 0);
}

}  // namespace
