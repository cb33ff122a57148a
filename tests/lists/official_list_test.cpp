#include "lists/official_list.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "lists/list_rows.h"
#include "support/list_readers.h"

namespace {

struct TRecordCase {
    const char* Line;
    std::vector<std::string> Fields;  // empty: the read fails with -1
};

void PrintTo(const TRecordCase& c, std::ostream* os) {
    PrintBytes(c.Line, os);
}

class RecordLineTest : public testing::TestWithParam<TRecordCase> {};

TEST_P(RecordLineTest, ReadsFieldsOrFails) {
    const TTempFolder folder;
    const auto& c = GetParam();
    TOfficialList list = ListOf(1, {{"old"}});
    std::vector<std::uint8_t> flags{1};
    const int result = LoadOfficialList(
        folder.Write("senate.dat", std::string("5 1\r\n") + c.Line + "\r\n"), list, &flags);
    if (c.Fields.empty()) {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(list.RowCount(), 0);
        EXPECT_TRUE(flags.empty());
    } else {
        ASSERT_EQ(result, 0);
        EXPECT_EQ(RowsOf(list), TRows{c.Fields});
        EXPECT_EQ(list.Position(0), 0);
        EXPECT_EQ(flags, std::vector<std::uint8_t>{0});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RecordLineTest,
    testing::Values(
        TRecordCase{"AL,D,\"Last, First\",none,none", {"AL", "D", "Last, First", "none", "none"}},
        TRecordCase{"\"AL\",D,Name,a@b.gov,http://x", {"AL", "D", "Name", "a@b.gov", "http://x"}},
        TRecordCase{"AL,D,Name,none,\"http://x,y", {"AL", "D", "Name", "none", "http://x,y"}},
        TRecordCase{" AL , D,Name,none,none ", {" AL ", " D", "Name", "none", "none "}},
        TRecordCase{"AL,\"D\"xName,none,none", {"AL", "D", "Name", "none", "none"}},
        TRecordCase{"AL,D,Name,none,none,extra", {"AL", "D", "Name", "none", "none"}},
        TRecordCase{"AL,D,Name,none,none,", {"AL", "D", "Name", "none", "none"}},
        TRecordCase{",D,Name,none,none", {}}, TRecordCase{"AL,D,Name,none,", {}},
        TRecordCase{"AL,,Name,none,none", {}}, TRecordCase{"AL,D,Name", {}},
        TRecordCase{"AL,D,Name,none,\"", {}}, TRecordCase{"AL,\"\",Name,none,none", {}},
        TRecordCase{"AL,D,Name,\"none\"", {}}, TRecordCase{"\"AL,D,Name,none,none", {}},
        TRecordCase{"", {}}));

struct THeaderCase {
    const char* Text;
    int Result;
    int FieldCount;
    TRows Rows;
};

void PrintTo(const THeaderCase& c, std::ostream* os) {
    PrintBytes(c.Text, os);
}

class TableFileTest : public testing::TestWithParam<THeaderCase> {};

TEST_P(TableFileTest, ReadsHeaderAndRecords) {
    const TTempFolder folder;
    const auto& c = GetParam();
    TOfficialList list = ListOf(1, {{"old"}});
    EXPECT_EQ(LoadOfficialList(folder.Write("leaders.dat", c.Text), list, nullptr), c.Result);
    EXPECT_EQ(list.FieldCount(), c.FieldCount);
    EXPECT_EQ(RowsOf(list), c.Rows);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, TableFileTest,
    testing::Values(
        THeaderCase{"5 0\r\nnot,a,record\r\n", 0, 5, {}}, THeaderCase{"", 0, 0, {}},
        THeaderCase{" \r\n\t\r\n", 0, 0, {}},
        THeaderCase{"2 2 records follow\r\na,b\r\nc,d\r\n", 0, 2, {{"a", "b"}, {"c", "d"}}},
        THeaderCase{"\n2\n1\na,b", 0, 2, {{"a", "b"}}},
        // In a one-field table the only field is also the first, which needs
        // its terminator; what follows the terminator is ignored.
        THeaderCase{"1 3\nabc,\n\"a,b\"\nx,y\n", 0, 1, {{"abc"}, {"a,b"}, {"x"}}},
        THeaderCase{"1 1\r\nabc\r\n", -1, 0, {}}, THeaderCase{"1 1\r\n\"abc\r\n", -1, 0, {}},
        THeaderCase{"1 2\r\nabc,\r\ndef\r\n", -1, 0, {}}, THeaderCase{"x 1\r\na\r\n", -1, 0, {}},
        THeaderCase{"1 y\r\na\r\n", -1, 0, {}}, THeaderCase{"1 1x\r\na\r\n", -1, 0, {}},
        THeaderCase{"2", -1, 0, {}}, THeaderCase{"-1 1\r\na\r\n", -1, 0, {}},
        THeaderCase{"1 -1\r\n", -1, 0, {}}, THeaderCase{"1 99999999999\r\na\r\n", -1, 0, {}},
        THeaderCase{"1 000000000000000000000000000000000001\r\na\r\n", -1, 0, {}},
        THeaderCase{"2 3\r\na,b\r\nc,d\r\n", -1, 0, {}},
        THeaderCase{"1 2147483647\r\na\r\nb\r\n", -1, 0, {}},
        THeaderCase{"2147483647 1\r\na,b\r\n", -1, 0, {}}));

TEST(ReadListHeaderTest, FailureLeavesBothCountsUnchanged) {
    for (const char* text : {"7 x", "x 7", "7", "7 -2"}) {
        std::istringstream in(text);
        int n = 42;
        int r = 43;
        EXPECT_EQ(ReadListHeader(in, n, r), -1) << text;
        EXPECT_EQ(n, 42) << text;
        EXPECT_EQ(r, 43) << text;
    }
}

TEST(ReadListSectionTest, NegativeCountsFailAndEmptyTheTable) {
    std::istringstream in("\r\na\r\n");
    TOfficialList table = ListOf(1, {{"old"}});
    EXPECT_EQ(ReadListSection(in, 1, -1, table), -1);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(ReadListSection(in, -1, 1, table), -1);
}

// Resets the process-wide lists and flags a test has touched.
class ProcessListsTest : public testing::Test {
  protected:
    void TearDown() override {
        for (auto* list : {&SenateList, &HouseList, &LeaderList, &MiscSpareList, &MultimediaList,
                           &AdditionalLinksList}) {
            list->Clear();
        }
        SenateSelected.clear();
        HouseSelected.clear();
    }
    TTempFolder folder_;
};

TEST_F(ProcessListsTest, EachChamberFileClearsOnlyItsOwnFlags) {
    const std::string senate = folder_.Write("senate.dat",
                                             "5 2\r\nAL,D,A,none,none\r\n"
                                             "AK,R,B,none,none\r\n");
    // The folder's name must not pick the flags, only the file's name.
    std::filesystem::create_directory(folder_.Path("senate"));
    const std::string house = folder_.Write("senate/house.dat", "6 1\nAL,1,D,C,none,none\n");
    const std::string leaders = folder_.Write("leaders.dat", "6 1\n1,X,Y,Z,none,none\n");

    SenateSelected = {1, 1, 1};
    HouseSelected = {1};
    ASSERT_EQ(LoadOfficialList(house, HouseList), 0);
    EXPECT_EQ(HouseSelected, std::vector<std::uint8_t>{0});
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{1, 1, 1}));

    HouseSelected = {1};
    ASSERT_EQ(LoadOfficialList(senate, SenateList), 0);
    EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{0, 0}));
    ASSERT_EQ(LoadOfficialList(leaders, LeaderList), 0);
    EXPECT_EQ(HouseSelected, std::vector<std::uint8_t>{1});
    EXPECT_EQ(SenateSelected.size(), 2u);
    EXPECT_EQ(LeaderList.Field(0, 1), "X");
}

TEST_F(ProcessListsTest, UnopenableFileLeavesListAndFlagsUntouched) {
    SenateList = ListOf(1, {{"kept"}});
    SenateSelected = {1};
    std::filesystem::create_directory(folder_.Path("senate.dat"));
    for (const auto& path : {folder_.Path("senate.dat"), folder_.Path("missing/senate.dat")}) {
        EXPECT_EQ(LoadOfficialList(path, SenateList), -2) << path;
        EXPECT_EQ(RowsOf(SenateList), TRows{{"kept"}});
        EXPECT_EQ(SenateSelected, std::vector<std::uint8_t>{1});
    }
    MultimediaList = ListOf(1, {{"kept"}});
    EXPECT_EQ(LoadMiscFile(folder_.Path("senate.dat")), -2);
    EXPECT_EQ(RowsOf(MultimediaList), TRows{{"kept"}});
}

TEST_F(ProcessListsTest, MiscFileFillsThreeSectionsInOrder) {
    const std::string misc = folder_.Write("misc.dat",
                                           "1 1\r\nspare,\r\n"
                                           "2 2\r\nNews,http://news\r\nRadio,http://radio\r\n"
                                           "3\r\n1\r\nHelp,http://help,ignored\r\n");
    ASSERT_EQ(LoadMiscFile(misc), 0);
    EXPECT_EQ(RowsOf(MiscSpareList), TRows{{"spare"}});
    EXPECT_EQ(RowsOf(MultimediaList), (TRows{{"News", "http://news"}, {"Radio", "http://radio"}}));
    EXPECT_EQ(RowsOf(AdditionalLinksList), (TRows{{"Help", "http://help", "ignored"}}));
}

TEST_F(ProcessListsTest, MiscSectionFailureKeepsEarlierSectionsAndEmptiesLaterOnes) {
    MiscSpareList = ListOf(1, {{"old"}});
    MultimediaList = ListOf(1, {{"old"}});
    AdditionalLinksList = ListOf(1, {{"old"}});
    const std::string misc = folder_.Write("misc.dat",
                                           "1 1\r\nnew,\r\n"
                                           "2 1\r\nNews\r\n"
                                           "2 1\r\nHelp,http://help\r\n");
    EXPECT_EQ(LoadMiscFile(misc), -1);
    EXPECT_EQ(RowsOf(MiscSpareList), TRows{{"new"}});
    EXPECT_EQ(MultimediaList.RowCount(), 0);
    EXPECT_EQ(AdditionalLinksList.RowCount(), 0);
}

TEST(OfficialListTest, FieldOutsideTheTableThrows) {
    const TOfficialList list = ListOf(2, {{"a", "b"}});
    EXPECT_THROW(list.Field(0, 2), std::out_of_range);
    EXPECT_THROW(list.Field(-1, 0), std::out_of_range);
    EXPECT_THROW(list.Field(1, 0), std::out_of_range);
    EXPECT_THROW(list.Position(1), std::out_of_range);
    TOfficialList other;
    other.Reset(2);
    EXPECT_THROW(other.AppendRow({"only one"}), std::invalid_argument);
}

}  // namespace
