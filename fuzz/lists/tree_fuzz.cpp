// Fuzz target for the World Parliaments tree reader: any bytes as legis.dat,
// read into a tree that already holds a group, then every caption shown as
// the tree view does.
//
// Beyond the sanitizers' checks it holds the reader to its promises: a
// result of 0, -1 or -3 only; leaves without children and with an address;
// captions never empty and without line ends; every level in alphabetical
// order; groups at most ten and countries only under groups.
#include <cstdint>
#include <string>

#include "base/utf8.h"
#include "lists/list_text.h"
#include "lists/parliament_tree.h"
#include "support/fuzz_support.h"

namespace {

// depth: 1 for the top level.
void CheckLevel(const TParliamentNode& parent, int depth) {
    QV_FUZZ_CHECK(depth <= 3);
    std::string previousKey;
    for (const auto& child : parent.Children) {
        QV_FUZZ_CHECK(child != nullptr);
        QV_FUZZ_CHECK(!child->Caption.empty());
        QV_FUZZ_CHECK(child->Caption.find('\n') == std::string::npos);
        QV_FUZZ_CHECK(qv::IsValidUtf8(DisplayText(child->Caption)));
        const std::string key = AlphabeticKey(child->Caption);
        QV_FUZZ_CHECK(previousKey <= key);
        previousKey = key;
        if (child->IsLeaf) {
            QV_FUZZ_CHECK(child->Children.empty() && !child->Address.empty());
        } else {
            QV_FUZZ_CHECK(depth <= 2 && child->Address.empty());
            CheckLevel(*child, depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = qv::fuzz::TScratchFolder::Get().Write("legis.dat", bytes);

    TParliamentTree tree;
    auto group = std::make_unique<TParliamentNode>();
    group->Caption = "Europe";
    tree.Root().Children.push_back(std::move(group));

    const int result = LoadParliamentTree(path, tree);
    QV_FUZZ_CHECK(result == 0 || result == -1 || result == -3);
    QV_FUZZ_CHECK(!tree.Root().Children.empty());  // a load never removes nodes
    CheckLevel(tree.Root(), 1);
    int groups = 0;
    for (const auto& node : tree.Root().Children) {
        groups += node->IsLeaf ? 0 : 1;
    }
    QV_FUZZ_CHECK(groups <= 1 + 10);
    return 0;
}
