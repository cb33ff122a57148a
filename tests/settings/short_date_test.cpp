#include "settings/short_date.h"

#include <gtest/gtest.h>

#include "support/settings_fixture.h"

namespace {

using std::chrono::year;
using std::chrono::year_month_day;
using testing::Ymd;

TEST(ShortDate, FormatHasNoLeadingZerosAndAFourDigitYear) {
    EXPECT_EQ(FormatShortDate(Ymd(1999, 9, 20)), "9/20/1999");
    EXPECT_EQ(FormatShortDate(Ymd(1990, 1, 1)), "1/1/1990");
    EXPECT_EQ(FormatShortDate(Ymd(2000, 12, 31)), "12/31/2000");
}

TEST(ShortDate, AnEarlyYearReadsBackAsTheSameYear) {
    SetTodaySource([] { return Ymd(2024, 3, 15); });
    for (int y : {1, 50, 99, 100, 999}) {
        const year_month_day date = Ymd(y, 6, 1);
        EXPECT_EQ(ParseShortDate(FormatShortDate(date)), date) << FormatShortDate(date);
    }
    EXPECT_EQ(FormatShortDate(Ymd(99, 1, 2)), "1/2/0099");
    SetTodaySource({});
}

TEST(ShortDate, ParseAcceptsTheFormatAndLeadingZeros) {
    EXPECT_EQ(ParseShortDate("9/20/1999"), Ymd(1999, 9, 20));
    EXPECT_EQ(ParseShortDate("01/01/1990"), Ymd(1990, 1, 1));
    EXPECT_EQ(ParseShortDate(" 7/17/2000 "), Ymd(2000, 7, 17));
    EXPECT_EQ(ParseShortDate("2/29/2000"), Ymd(2000, 2, 29));
}

TEST(ShortDate, TwoDigitYearIsInTheCurrentCentury) {
    SetTodaySource([] { return Ymd(2024, 3, 15); });
    EXPECT_EQ(ParseShortDate("1/2/99"), Ymd(2099, 1, 2));
    EXPECT_EQ(ParseShortDate("1/2/05"), Ymd(2005, 1, 2));
    SetTodaySource({});
}

TEST(ShortDate, TextsThatDoNotConvert) {
    for (const char* text :
         {"31/12/1999", "2/29/1999", "2/30/2000", "0/1/2000", "1/0/2000", "13/1/2000", "1/1/0000",
          "", "1/1", "1/1/2000/1", "1-1-2000", "a/1/2000", "1/1/20000", "1/ 1/2000", "1/1/2000x"}) {
        EXPECT_EQ(ParseShortDate(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(ShortDate, TodayComesFromTheSourceOrTheClock) {
    SetTodaySource([] { return Ymd(2001, 2, 3); });
    EXPECT_EQ(Today(), Ymd(2001, 2, 3));
    SetTodaySource({});
    EXPECT_TRUE(Today().ok());
    EXPECT_GE(Today().year(), year{2024});
}

}  // namespace
