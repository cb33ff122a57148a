// The five lists the update server keeps, and the dates file that says how
// new its copies are.
//
// The dates file ("qndates2.dat" in the server's list directory) is plain
// text of five lines, one date each in the short date format "M/d/yyyy", in
// the order of TUpdateList. A line ends at CR, at LF or at the pair CR LF;
// LF CR is two line ends and so makes an empty line. Lines after the fifth
// are ignored, missing lines are empty, and a last line without a line end
// still counts.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace qv {

using TDate = std::chrono::year_month_day;

// The lists, in the order of the dates file.
enum class TUpdateList { Senate, House, Leaders, Parliament, Misc };
inline constexpr std::size_t kUpdateListCount = 5;

struct TUpdateListInfo {
    TUpdateList List;
    const char* MemoLine;        // offered as "Senate List" when the server's copy is newer
    const char* DateWarning;     // its line of the dates file does not convert
    const char* ArchiveName;     // the archive in the server's list directory
    const char* Title;           // in the status line and the warnings
    const char* LocalFile;       // the installed list file in the program's folder
    TDate TSettings::*FileDate;  // the installed copy's date in the settings
};

// Indexed by TUpdateList.
const TUpdateListInfo& UpdateListInfo(TUpdateList list);

inline constexpr std::array<TUpdateList, kUpdateListCount> kDatesFileOrder{
    TUpdateList::Senate, TUpdateList::House, TUpdateList::Leaders, TUpdateList::Parliament,
    TUpdateList::Misc};
// The order in which a run downloads the lists.
inline constexpr std::array<TUpdateList, kUpdateListCount> kDownloadOrder{
    TUpdateList::Senate, TUpdateList::House, TUpdateList::Parliament, TUpdateList::Leaders,
    TUpdateList::Misc};

// The server's date of each list, indexed by TUpdateList.
using TServerDates = std::array<TDate, kUpdateListCount>;

// Earlier than any date a list or the settings can carry, so a list whose
// server date never converted is not offered.
inline constexpr TDate kNoServerDate{std::chrono::year{1}, std::chrono::January,
                                     std::chrono::day{1}};

// The last dates read from the update server in this run. Process-wide, so
// that a later check keeps a list's previous date when its line does not
// convert. User-interface thread only.
extern TServerDates ServerDate;

// The first five lines of a dates file, missing ones empty.
std::array<std::string, kUpdateListCount> DatesFileLines(std::string_view text);

// Converts the five lines into `dates`, in line order. A line that does not
// convert leaves its date as it was and adds the list's warning ("Error
// converting Senate Web Date" ...) to the result, in line order.
std::vector<std::string> ParseDatesFile(std::string_view text, TServerDates& dates);

}  // namespace qv
