// Reading the ZIP code table: the shipped one, and damaged ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "lists/zip_districts.h"
#include "support/temp_folder.h"

namespace {

using namespace qv;

std::string Codes(const std::vector<TDistrict>& districts) {
    std::string codes;
    for (const TDistrict& district : districts) {
        codes += (codes.empty() ? "" : " ") + DistrictCode(district);
    }
    return codes;
}

TEST(ZipTableTest, ShippedTableHasEveryAreaOfTheCensus) {
    const char* source = std::getenv("QV_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const TZipDistricts table = TZipDistricts::Load(std::string(source) + "/data/zccd.csv");
    EXPECT_EQ(table.ZipCount(), 33774u);
    EXPECT_EQ(Codes(table.Find("20001")), "DC-AL");
    EXPECT_EQ(Codes(table.Find("30165")), "AL-3 GA-14");
    EXPECT_EQ(Codes(table.Find("00601")), "PR-AL");
    EXPECT_THROW(table.Find("00000"), EUnknownZip);
}

TEST(ZipTableTest, DamagedTableNamesTheLine) {
    const std::string header = "state_fips,state_abbr,zcta,cd\n";
    const struct {
        std::string Text;
        const char* Error;  // empty: reads
    } cases[] = {
        {header + "39,OH,43004,3\n\n39,OH,43004,3\r\n", ""},
        {"", "t line 1: not a ZIP code table"},
        {"zip,cd\n", "t line 1: not a ZIP code table"},
        {header + "39,OH,43004\n", "t line 2: expected four fields"},
        {header + "39,OH,43004,3,\n", "t line 2: expected four fields"},
        {header + "39,OH,43004,3\n3,OH,43004,3\n", "t line 3: state code is not two digits"},
        {header + "39,XX,43004,3\n", "t line 2: unknown state XX"},
        {header + "39,OH,4300,3\n", "t line 2: ZIP code area is not five digits"},
        {header + "39,OH,43004,16\n", "t line 2: district 16 is not a seat of OH"},
        {header + "39,OH,43004,0\n", "t line 2: district 0 is not a seat of OH"},
        {header + "56,WY,82001,1\n", "t line 2: district 1 is not a seat of WY"},
        {header + "39,OH,43004,-3\n", "t line 2: district -3 is not a seat of OH"},
        {header + "39,OH,43004,\n", "t line 2: district  is not a seat of OH"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.Text);
        if (*c.Error == '\0') {
            EXPECT_EQ(Codes(TZipDistricts::Read(in, "t").Find("43004")), "OH-3") << c.Text;
            continue;
        }
        try {
            TZipDistricts::Read(in, "t");
            ADD_FAILURE() << "read: " << c.Text;
        } catch (const EZipTableError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.Error, 0), 0u) << e.what();
        }
    }
    const TTempFolder folder;
    EXPECT_THROW(TZipDistricts::Load(folder.Path("missing.csv")), EZipTableError);
    EXPECT_THROW(TZipDistricts::Load(folder.Path("")), EZipTableError);
    EXPECT_THROW(TZipDistricts().Find("43004"), EUnknownZip);
}

}  // namespace
