#include <array>
#include <memory>
#include <vector>

#include "compress/bit_writer.h"
#include "compress/compressors.h"
#include "compress/lzh_decoder.h"
#include "compress/match_finder.h"

namespace qv::compress {

namespace {

using S = TLzhDecoderState;

// A symbol's code is the path from the root to its leaf; the tree is updated
// after every symbol exactly as the decoder updates it.
void PutSymbol(TLzhTree& tree, TBitWriter& out, int symbol) {
    std::array<std::uint8_t, TLzhTree::kNodes> path;
    std::size_t depth = 0;
    for (int node = tree.parent[symbol + TLzhTree::kNodes]; node != TLzhTree::kRoot;
         node = tree.parent[node]) {
        path[depth++] = static_cast<std::uint8_t>(node - tree.child[tree.parent[node]]);
    }
    while (depth > 0) {
        out.Put(path[--depth], 1);
    }
    tree.Update(symbol);
}

void PutPosition(TBitWriter& out, std::size_t position) {
    const TLzhPositionCode& code = LzhPositionCode();
    const std::size_t upper = position >> 6;
    out.Put(code.code[upper], code.codeLength[upper]);
    out.Put(static_cast<std::uint32_t>(position & 0x3F), 6);
}

}  // namespace

std::vector<std::uint8_t> CompressLzh(std::span<const std::uint8_t> data) {
    // The decoder's window starts with spaces before its first position.
    const std::vector<std::uint8_t> history = TMatchFinder::History(S::kStartPosition, ' ', data);
    TMatchFinder finder(history, S::kWindowSize, S::kLongestMatch);
    for (std::size_t pos = 0; pos < S::kStartPosition; ++pos) {
        finder.Insert(pos);
    }
    auto tree = std::make_unique<TLzhTree>();
    tree->Init();
    TBitWriter out;
    std::size_t pos = S::kStartPosition;
    while (pos < history.size()) {
        const TMatchFinder::TMatch match = finder.Find(pos);
        std::size_t advance = 1;
        if (match.length >= S::kShortestMatch) {
            PutSymbol(*tree, out, static_cast<int>(256 + match.length - S::kShortestMatch));
            PutPosition(out, match.distance - 1);
            advance = match.length;
        } else {
            PutSymbol(*tree, out, history[pos]);
        }
        for (std::size_t k = 0; k < advance; ++k) {
            finder.Insert(pos + k);
        }
        pos += advance;
    }
    return out.Finish();
}

}  // namespace qv::compress
