#include "base/trim.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// Each rule strips its own set from both ends and nothing else.
TEST(Trim, EachRuleStripsItsOwnCharacters) {
    struct TRow {
        std::string_view text, spacesAndTabs, spaces, controlsAndSpaces, withLineBreaks;
    };
    const TRow rows[] = {
        {"", "", "", "", ""},
        {"  a b  ", "a b", "a b", "a b", "a b"},
        {"\ta\t", "a", "\ta\t", "a", "a"},
        {" \t a \t ", "a", "\t a \t", "a", "a"},
        {"\r\na\r\n", "\r\na\r\n", "\r\na\r\n", "a", "a"},
        {std::string_view("\0a\x1F", 3), std::string_view("\0a\x1F", 3),
         std::string_view("\0a\x1F", 3), "a", std::string_view("\0a\x1F", 3)},
        {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // bytes above 127 stay
        {" \t ", "", "\t", "", ""},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.text)));
        EXPECT_EQ(TrimSpacesAndTabs(row.text), row.spacesAndTabs);
        EXPECT_EQ(TrimSpaces(row.text), row.spaces);
        EXPECT_EQ(TrimControlsAndSpaces(row.text), row.controlsAndSpaces);
        EXPECT_EQ(TrimSpacesTabsAndLineBreaks(row.text), row.withLineBreaks);
    }
}

}  // namespace
}  // namespace qv
