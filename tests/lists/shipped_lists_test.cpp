// The list files the program ships, read with the program's readers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "lists/official_list.h"
#include "lists/parliament_tree.h"

namespace {

std::string ShippedFile(const std::string& name) {
    const char* dir = std::getenv("QV_RUNTIME_DIR");
    return dir == nullptr ? std::string() : (std::filesystem::path(dir) / name).string();
}

bool IsShipped(const std::string& path) {
    return !path.empty() && std::filesystem::is_regular_file(path);
}

TEST(ShippedListsTest, TablesReadWithTheirFieldCounts) {
    for (const auto& [name, fields] :
         {std::pair{"senate.dat", 5}, std::pair{"house.dat", 6}, std::pair{"leaders.dat", 6}}) {
        const std::string path = ShippedFile(name);
        if (!IsShipped(path)) {
            GTEST_SKIP() << name << " is not in the build's runtime folder";
        }
        TOfficialList list;
        std::vector<std::uint8_t> flags;
        ASSERT_EQ(LoadOfficialList(path, list, &flags), 0) << name;
        EXPECT_EQ(list.FieldCount(), fields) << name;
        EXPECT_GT(list.RowCount(), 0) << name;
        EXPECT_EQ(flags.size(), static_cast<std::size_t>(list.RowCount())) << name;
    }
}

TEST(ShippedListsTest, MiscLinksHaveCaptionAndAddress) {
    const std::string path = ShippedFile("misc.dat");
    if (!IsShipped(path)) {
        GTEST_SKIP() << "misc.dat is not in the build's runtime folder";
    }
    TOfficialList spare, multimedia, links;
    ASSERT_EQ(LoadMiscFile(path, spare, multimedia, links), 0);
    for (const auto* list : {&multimedia, &links}) {
        EXPECT_GE(list->FieldCount(), 2);
    }
}

TEST(ShippedListsTest, ParliamentTreeReads) {
    const std::string path = ShippedFile("legis.dat");
    if (!IsShipped(path)) {
        GTEST_SKIP() << "legis.dat is not in the build's runtime folder";
    }
    TParliamentTree tree;
    ASSERT_EQ(LoadParliamentTree(path, tree), 0);
    EXPECT_FALSE(tree.Root().Children.empty());
}

}  // namespace
