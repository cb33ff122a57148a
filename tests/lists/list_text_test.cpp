#include "lists/list_text.h"

#include <gtest/gtest.h>

#include "support/list_readers.h"

namespace {

struct TTextCase {
    const char* Raw;
    const char* Display;
};

void PrintTo(const TTextCase& c, std::ostream* os) {
    PrintBytes(c.Raw, os);
}

class DisplayTextTest : public testing::TestWithParam<TTextCase> {};

TEST_P(DisplayTextTest, ShowsUtf8AsIsAndWindows1252Decoded) {
    EXPECT_EQ(DisplayText(GetParam().Raw), GetParam().Display);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DisplayTextTest,
    testing::Values(TTextCase{"Smith, John", "Smith, John"},
                    TTextCase{"Z\xC3\xBCrich", "Z\xC3\xBCrich"},        // UTF-8 ü
                    TTextCase{"\xF0\x9F\x8F\x9B", "\xF0\x9F\x8F\x9B"},  // UTF-8, 4 bytes
                    TTextCase{"Z\xFCrich", "Z\xC3\xBCrich"},            // 1252 ü
                    TTextCase{"\x80 \x93q\x94", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
                    TTextCase{"\x81", "\xEF\xBF\xBD"},                          // unset byte
                    TTextCase{"\xC0\xAF", "\xC3\x80\xC2\xAF"},                  // overlong
                    TTextCase{"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // surrogate
                    TTextCase{"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
                    TTextCase{"caf\xC3", "caf\xC3\x83"}));  // cut short

TEST(AlphabeticKeyTest, SameKeyForBothEncodingsOfACaption) {
    EXPECT_EQ(AlphabeticKey("\xD6sterreich"), AlphabeticKey("\xC3\x96sterreich"));
    EXPECT_EQ(AlphabeticKey("\xC3\x96sterreich"), "osterreich");
    EXPECT_EQ(AlphabeticKey("\x8A"
                            "ibenik"),
              "sibenik");  // 1252 Š
    EXPECT_LT(AlphabeticKey("\xC5\x81\xC3\xB3"
                            "d\xC5\xBA"),
              AlphabeticKey("Lyon"));  // Łódź
}

}  // namespace
