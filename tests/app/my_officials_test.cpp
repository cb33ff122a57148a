#include "app/my_officials.h"

#include <gtest/gtest.h>

namespace {

using qv::TDistrict;

TEST(MyOfficialsTest, HeadingNamesEachStateAndItsDistricts) {
    struct TRow {
        std::vector<TDistrict> Districts;
        const char* Heading;
    };
    const TRow rows[] = {
        {{{"OH", 3}}, "ZIP code 43004: Ohio, OH-3"},
        {{{"OH", 3}, {"OH", 12}}, "ZIP code 43004: Ohio, OH-3 and OH-12"},
        {{{"OH", 3}, {"OH", 4}, {"OH", 12}}, "ZIP code 43004: Ohio, OH-3, OH-4 and OH-12"},
        {{{"WY", 0}}, "ZIP code 43004: Wyoming, WY-AL"},
        {{{"AL", 3}, {"GA", 14}}, "ZIP code 43004: Alabama, AL-3; Georgia, GA-14"},
        {{{"DC", 0}}, "ZIP code 43004: the District of Columbia, DC-AL"},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(ZipHeading("43004", row.Districts), row.Heading);
}

TEST(MyOfficialsTest, DistrictGoesIntoTheContactDetailsUnlessTheUserWroteAnother) {
    struct TRow {
        const char* Case;
        std::vector<TDistrict> Districts;
        const char* Current;
        std::vector<TDistrict> Previous;
        std::optional<std::string> Result;
    };
    const std::vector<TDistrict> oh3{{"OH", 3}};
    const TRow rows[] = {
        {"empty field", oh3, "", {}, "OH-3"},
        {"blank field", oh3, "  ", {}, "OH-3"},
        {"at large", {{"WY", 0}}, "", {}, "WY-AL"},
        {"already there", oh3, "OH-3", {}, "OH-3"},
        {"the previous ZIP's", oh3, "OH-12", {{"OH", 12}}, "OH-3"},
        {"the user's own", oh3, "OH-12", {}, std::nullopt},
        {"the user's own, other previous", oh3, "Ohio 12", {{"OH", 12}}, std::nullopt},
        {"previous had two", oh3, "OH-12", {{"OH", 12}, {"OH", 4}}, std::nullopt},
        {"several districts", {{"OH", 3}, {"OH", 12}}, "", {}, std::nullopt},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Case);
        EXPECT_EQ(DistrictForContact(row.Districts, row.Current, row.Previous), row.Result);
    }
}

}  // namespace
