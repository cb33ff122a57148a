#pragma once

// The rules of the main window's list views that need no widget: the views'
// columns, the filter boxes' items and abbreviations, which records a filter
// lets through, and how a cell's text decides its check box, its click and
// the pointer over it. Plain C++; the window turns these into widgets.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOfficialList;

// The values of CurrentView (4 is none, NoView). My Officials shows the
// senators and representatives of a ZIP code, rows of both the Senate and
// the House list.
enum TListView : std::uint8_t {
    SenateView = 0,
    HouseView = 1,
    WhiteHouseView = 2,
    WorldLeadersView = 3,
    MyOfficialsView = 5,
};

enum class TColumnAlignment { Left, Centre };

struct TViewColumn {
    const char* Title;
    TColumnAlignment Alignment = TColumnAlignment::Left;
};

// A view's grid: columns from 0 (always zero wide, no title) to the last; the
// last two are the link columns (e-mail address, home page).
struct TViewLayout {
    const char* TitleStrip;  // the list panel's heading
    const char* FilterLabel;
    int FixedCols;
    std::vector<TViewColumn> Columns;
};

const TViewLayout& ViewLayout(TListView view);

// One item of a filter box: the text shown and the abbreviation the list
// files use for it (empty for item 0, "(All)" or "(all)", which filters
// nothing).
struct TFilterItem {
    const char* Name;
    const char* Abbreviation;
};

// The state box: "(All)" and the 50 states.
const std::vector<TFilterItem>& StateItems();
// The territory box: "(All)", the 50 states, and American Samoa, DC, Guam,
// Puerto Rico and the Virgin Islands in alphabetical place.
const std::vector<TFilterItem>& TerritoryItems();
// The continent box: "(all)" and the six continents, at the positions that
// leaders.dat's continent numbers name.
const std::vector<TFilterItem>& ContinentItems();

// The text a Senate or House record's first field must equal to pass the
// filter at `item` of `items`: "All" for item 0 (every record passes), else
// the item's abbreviation.
std::string FilterText(const std::vector<TFilterItem>& items, int item);

// The positions of the records of `list` that pass `filterText`, in file
// order: every record for "All", else those whose first field equals it.
std::vector<int> MatchingRecords(const TOfficialList& list, std::string_view filterText);

// The positions of the World Leaders records on continent `continent` (the
// continent box's item; 0 for all), in file order. A record whose continent
// field is not a number is on no continent.
std::vector<int> MatchingLeaders(const TOfficialList& list, int continent);

// A record's e-mail field that takes no tick: "none" (any letter case), or a
// web form's address (starting with "http").
bool CheckBoxDisabledFor(std::string_view email);

// A link cell's text that leads nowhere: "none" or "n/a" (any letter case).
bool IsDeadLink(std::string_view text);

// What a click on a link cell does: nothing for a dead link or a blank cell,
// open an "http" address as a page, else write to the address.
enum class TLinkAction { Nothing, OpenPage, WriteEmail };
TLinkAction LinkActionFor(std::string_view text);

// The filter item to select in a box of `items` when its view is entered
// after the other box showed `otherText`: the item of that name, else item 1.
int CarriedFilterItem(const std::vector<TFilterItem>& items, std::string_view otherText);
