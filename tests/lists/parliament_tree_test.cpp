#include "lists/parliament_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "support/list_readers.h"

namespace {

// The tree as "Caption(child;child)", a leaf as "Caption=Address".
std::string Dump(const TParliamentNode& node) {
    std::string out;
    for (const auto& child : node.Children) {
        if (!out.empty()) {
            out += ';';
        }
        out += child->Caption;
        if (child->IsLeaf) {
            out += '=' + child->Address;
        }
        if (!child->Children.empty()) {
            out += '(' + Dump(*child) + ')';
        }
    }
    return out;
}

struct TTreeCase {
    const char* Name;
    std::string Text;
    int Result;
    std::string Tree;
};

void PrintTo(const TTreeCase& c, std::ostream* os) {
    PrintBytes(c.Name, os);
}

class ParliamentTreeTest : public testing::TestWithParam<TTreeCase> {};

TEST_P(ParliamentTreeTest, ReadsLinesIntoTree) {
    const TTempFolder folder;
    const auto& c = GetParam();
    TParliamentTree tree;
    EXPECT_EQ(LoadParliamentTree(folder.Write("legis.dat", c.Text), tree), c.Result);
    EXPECT_EQ(Dump(tree.Root()), c.Tree);
}

std::string ElevenGroups() {
    std::string text;
    for (char g = 'A'; g <= 'K'; ++g) {
        text += std::string("1,") + g + ",\r\n";
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParliamentTreeTest,
    testing::Values(
        TTreeCase{"Levels",
                  "1,Europe,\r\n2,1,France,\r\n\"Senat\",http://senat.fr,\r\n"
                  "\"Assemblee\",\"http://an.fr\"\r\n1,Asia,\r\n\"ASEAN\",http://asean,\r\n"
                  "2,2,Japan,\r\n\"Diet\",http://diet.jp,\r\n2,1,Austria,\r\n"
                  "\"Nationalrat\",http://parlament.gv.at,\r\n",
                  0,
                  "Asia(ASEAN=http://asean;Japan(Diet=http://diet.jp));"
                  "Europe(Austria(Nationalrat=http://parlament.gv.at);"
                  "France(Assemblee=http://an.fr;Senat=http://senat.fr))"},
        TTreeCase{"CaseAndAccentsIgnoredInOrder",
                  "1,czech,\n1,Croatia,\n1,C\xF4te d'Ivoire,\n1,Congo,\n", 0,
                  "Congo;C\xF4te d'Ivoire;Croatia;czech"},
        TTreeCase{"CaptionWithoutComma", "1,Europe\r\n", -1, ""},
        TTreeCase{"QuotedCaption", "1,\"Europe\"\r\n", 0, "Europe"},
        TTreeCase{"LeafBeforeAnyGroup", "\"UN\",http://un.org,\r\n1,Asia,\r\n", 0,
                  "Asia;UN=http://un.org"},
        TTreeCase{"EmptyLineEndsTree", "1,Europe,\n\n1,Asia,\n", 0, "Europe"},
        TTreeCase{"LeafAddressWithoutComma", "1,Europe,\r\n\"EU\",http://eu\r\n", -1, "Europe"},
        TTreeCase{"CountryCaptionWithoutComma", "1,Europe,\r\n2,1,France\r\n", -1, "Europe"},
        TTreeCase{"UnknownGroup", "1,Europe,\r\n2,2,Japan,\r\n", -3, "Europe"},
        TTreeCase{"GroupZero", "1,Europe,\r\n2,0,Japan,\r\n", -3, "Europe"},
        TTreeCase{"GroupNotANumber", "1,Europe,\r\n2,one,Japan,\r\n", -3, "Europe"},
        TTreeCase{"FirstFieldNotANumber", "Europe,\r\n", -3, ""},
        TTreeCase{"EleventhGroup", ElevenGroups(), -3, "A;B;C;D;E;F;G;H;I;J"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ParliamentTreeLoadTest, LoadsAddToTheTreeUntilCleared) {
    const TTempFolder folder;
    const std::string path = folder.Write("legis.dat", "1,Europe,\r\n");
    TParliamentTree tree;
    ASSERT_EQ(LoadParliamentTree(path, tree), 0);
    ASSERT_EQ(LoadParliamentTree(path, tree), 0);
    EXPECT_EQ(Dump(tree.Root()), "Europe;Europe");
    EXPECT_EQ(LoadParliamentTree(folder.Path("missing.dat"), tree), -2);
    EXPECT_EQ(Dump(tree.Root()), "Europe;Europe");
    tree.Clear();
    EXPECT_TRUE(tree.Root().Children.empty());
}

}  // namespace
