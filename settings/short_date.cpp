#include "settings/short_date.h"

#include <ctime>
#include <utility>

#include "base/trim.h"

namespace {

std::function<std::chrono::year_month_day()>& TodaySource() {
    static std::function<std::chrono::year_month_day()> source;
    return source;
}

// Digits only, at most four of them.
std::optional<int> SmallNumber(std::string_view text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

std::string FormatShortDate(std::chrono::year_month_day date) {
    // The year keeps four digits below 1000 too: "1/1/99" would read back as
    // 2099, not 99.
    std::string year = std::to_string(static_cast<int>(date.year()));
    year.insert(0, year.size() < 4 ? 4 - year.size() : 0, '0');
    return std::to_string(static_cast<unsigned>(date.month())) + "/" +
           std::to_string(static_cast<unsigned>(date.day())) + "/" + year;
}

std::optional<std::chrono::year_month_day> ParseShortDate(std::string_view text) {
    text = qv::TrimSpacesAndTabs(text);
    std::size_t first = text.find('/');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t second = text.find('/', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view year_text = text.substr(second + 1);
    auto month = SmallNumber(text.substr(0, first));
    auto day = SmallNumber(text.substr(first + 1, second - first - 1));
    auto year = SmallNumber(year_text);
    if (!month || !day || !year) {
        return std::nullopt;
    }
    int y = *year;
    if (year_text.size() <= 2) {
        y += static_cast<int>(Today().year()) / 100 * 100;
    }
    std::chrono::year_month_day date{std::chrono::year{y},
                                     std::chrono::month{static_cast<unsigned>(*month)},
                                     std::chrono::day{static_cast<unsigned>(*day)}};
    if (y < 1 || !date.ok()) {
        return std::nullopt;
    }
    return date;
}

std::chrono::year_month_day Today() {
    if (TodaySource()) {
        return TodaySource()();
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

void SetTodaySource(std::function<std::chrono::year_month_day()> source) {
    TodaySource() = std::move(source);
}
