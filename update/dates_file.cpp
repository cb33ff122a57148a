#include "update/dates_file.h"

#include "settings/short_date.h"

namespace qv {

TServerDates ServerDate{kNoServerDate, kNoServerDate, kNoServerDate, kNoServerDate, kNoServerDate};

namespace {

const std::array<TUpdateListInfo, kUpdateListCount> kLists{{
    {TUpdateList::Senate, "Senate List", "Error converting Senate Web Date", "senate2.dat",
     "Senate", "senate.dat", &TSettings::Senate},
    {TUpdateList::House, "House List", "Error converting House Web Date", "house2.dat", "House",
     "house.dat", &TSettings::House},
    {TUpdateList::Leaders, "World Leader List", "Error converting Leader Web Date", "leaders2.dat",
     "World Leaders", "leaders.dat", &TSettings::Leaders},
    {TUpdateList::Parliament, "World Parliament List",
     "Error converting World Parliaments Web Date", "legis2.dat", "World Parliaments", "legis.dat",
     &TSettings::Parliament},
    {TUpdateList::Misc, "Misc. Leader List", "Error converting Misc. Web Date", "misc2.dat",
     "Misc. Leaders", "misc.dat", &TSettings::Misc},
}};

}  // namespace

const TUpdateListInfo& UpdateListInfo(TUpdateList list) {
    return kLists[static_cast<std::size_t>(list)];
}

std::array<std::string, kUpdateListCount> DatesFileLines(std::string_view text) {
    std::array<std::string, kUpdateListCount> lines;
    std::size_t line = 0;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size() && line < kUpdateListCount) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines[line++] = std::string(text.substr(start, i - start));
        // CR LF is one line end; LF CR is two.
        i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
        start = i;
    }
    if (line < kUpdateListCount && start < text.size()) {
        lines[line] = std::string(text.substr(start));
    }
    return lines;
}

std::vector<std::string> ParseDatesFile(std::string_view text, TServerDates& dates) {
    std::vector<std::string> warnings;
    const auto lines = DatesFileLines(text);
    for (std::size_t i = 0; i < kUpdateListCount; ++i) {
        if (auto date = ParseShortDate(lines[i])) {
            dates[i] = *date;
        } else {
            warnings.emplace_back(kLists[i].DateWarning);
        }
    }
    return warnings;
}

}  // namespace qv
