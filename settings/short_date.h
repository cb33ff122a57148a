#pragma once

// The program's short date format "M/d/yyyy": month and
// day without leading zeros, a four-digit year, "/" between. Every date text in
// the settings file and in the update server's dates file uses it.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// "9/20/1999".
std::string FormatShortDate(std::chrono::year_month_day date);

// Converts a text in the short date format, as Delphi's StrToDate did with it:
// three numbers separated by "/" in the order month, day, year, blanks around
// the text allowed, leading zeros accepted ("01/01/1990"); a year written with
// one or two digits is taken in the current century. nullopt when the text does
// not convert (wrong shape, or no such date: "31/12/1999", "2/30/2000").
std::optional<std::chrono::year_month_day> ParseShortDate(std::string_view text);

// Today's date in local time, or what the test source set below gives.
std::chrono::year_month_day Today();

// Tests replace the clock; an empty function restores the system clock.
void SetTodaySource(std::function<std::chrono::year_month_day()> source);
