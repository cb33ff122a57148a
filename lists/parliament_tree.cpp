#include "lists/parliament_tree.h"

#include <algorithm>
#include <utility>

#include "lists/list_format.h"
#include "lists/list_text.h"

using namespace qv_lists_detail;

TParliamentTree ParliamentTree;

namespace {

// Group numbers run from 1 to this.
constexpr std::size_t kMaxGroups = 10;

TParliamentNode& AddNode(TParliamentNode& parent, std::string_view caption, bool isLeaf,
                         std::string_view address = {}) {
    auto node = std::make_unique<TParliamentNode>();
    node->Caption = caption;
    node->Address = address;
    node->IsLeaf = isLeaf;
    parent.Children.push_back(std::move(node));
    return *parent.Children.back();
}

// Every field of legis.dat ends with a comma or a closing quote.
std::optional<TField> ClosedField(std::string_view line, std::size_t start) {
    auto field = ScanField(line, start);
    if (!field || !field->Terminated) {
        return std::nullopt;
    }
    return field;
}

// Reads tree lines up to the end of the file or an empty line, adding nodes
// under `root` as it goes.
int ReadTreeLines(std::istream& in, TParliamentNode& root) {
    std::vector<TParliamentNode*> groups;
    TParliamentNode* parent = &root;
    std::string line;
    while (ReadLine(in, line) && !line.empty()) {
        const auto first = ClosedField(line, 0);
        if (!first) {
            return -1;
        }
        if (first->Quoted) {
            const auto address = ClosedField(line, first->Next);
            if (!address) {
                return -1;
            }
            AddNode(*parent, first->Text, true, address->Text);
            continue;
        }
        const auto kind = ParseInteger(first->Text);
        if (!kind) {
            return -3;
        }
        if (*kind == 1) {
            const auto caption = ClosedField(line, first->Next);
            if (!caption) {
                return -1;
            }
            if (groups.size() == kMaxGroups) {
                return -3;
            }
            parent = &AddNode(root, caption->Text, false);
            groups.push_back(parent);
            continue;
        }
        const auto groupField = ClosedField(line, first->Next);
        if (!groupField) {
            return -1;
        }
        const auto group = ParseInteger(groupField->Text);
        if (!group || *group < 1 || static_cast<std::size_t>(*group) > groups.size()) {
            return -3;
        }
        const auto caption = ClosedField(line, groupField->Next);
        if (!caption) {
            return -1;
        }
        parent = &AddNode(*groups[static_cast<std::size_t>(*group) - 1], caption->Text, false);
    }
    return 0;
}

void SortAlphabetically(TParliamentNode& node) {
    std::vector<std::pair<std::string, std::unique_ptr<TParliamentNode>>> keyed;
    keyed.reserve(node.Children.size());
    for (auto& child : node.Children) {
        keyed.emplace_back(AlphabeticKey(child->Caption), std::move(child));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return a.first < b.first;
        }
        return a.second->Caption < b.second->Caption;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        node.Children[i] = std::move(keyed[i].second);
        SortAlphabetically(*node.Children[i]);
    }
}

}  // namespace

int LoadParliamentTree(const std::string& path, TParliamentTree& tree) {
    std::ifstream in;
    if (!OpenListFile(path, in)) {
        return -2;
    }
    const int result = ReadTreeLines(in, tree.Root());
    // A partly read tree is shown too; keep it in order as well.
    SortAlphabetically(tree.Root());
    return result;
}
