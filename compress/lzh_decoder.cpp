#include "compress/lzh_decoder.h"

#include <algorithm>

namespace qv::compress {

namespace {

class TLzhReader {
  public:
    TLzhReader(TCodecState& state, TLzhDecoderState& lzh) : state_(state), lzh_(lzh) {}

    // Bits come from each input byte most significant first; after the
    // stored data end every bit is 0.
    unsigned ReadBits(int n) {
        if (lzh_.bitCount <= 8) {
            unsigned b = state_.ReadInputByte();
            if (state_.EndOfInput()) {
                b = 0;
            }
            lzh_.bitBuffer =
                static_cast<std::uint16_t>(lzh_.bitBuffer | (b << (8 - lzh_.bitCount)));
            lzh_.bitCount = static_cast<std::uint8_t>(lzh_.bitCount + 8);
        }
        const unsigned result = lzh_.bitBuffer >> (16 - n);
        lzh_.bitBuffer = static_cast<std::uint16_t>(lzh_.bitBuffer << n);
        lzh_.bitCount = static_cast<std::uint8_t>(lzh_.bitCount - n);
        return result;
    }

    int DecodeSymbol() {
        TLzhTree& tree = lzh_.tree;
        int node = tree.child[TLzhTree::kRoot];
        while (node < TLzhTree::kNodes) {
            node = tree.child[node + static_cast<int>(ReadBits(1))];
        }
        const int symbol = node - TLzhTree::kNodes;
        tree.Update(symbol);
        return symbol;
    }

    // A distance back from the current position, 0 to 4095.
    int DecodePosition() {
        const TLzhPositionCode& code = LzhPositionCode();
        const unsigned i = ReadBits(8);
        const int length = code.length[i];
        const unsigned m = ReadBits(length - 2);
        const unsigned lower = ((i << (length - 2)) | m) & 0x3F;
        return static_cast<int>(code.upper[i]) * 64 + static_cast<int>(lower);
    }

  private:
    TCodecState& state_;
    TLzhDecoderState& lzh_;
};

}  // namespace

void LzhDecode(TCodecState& state, std::int32_t byteCount) {
    if (byteCount <= 0) {
        return;
    }
    using S = TLzhDecoderState;
    state.lzh = std::make_unique<S>();
    S& lzh = *state.lzh;
    lzh.tree.Init();
    // Positions past the start are spaces too, so a damaged stream that
    // reaches them reads a defined value.
    std::fill(lzh.window.begin(), lzh.window.end(), ' ');
    TLzhReader reader(state, lzh);
    int r = S::kStartPosition;
    constexpr int kMask = S::kWindowSize - 1;
    for (std::int64_t produced = 0; produced < byteCount;) {
        const int c = reader.DecodeSymbol();
        if (c < 256) {
            const auto b = static_cast<std::uint8_t>(c);
            state.WriteOutputByte(b);
            lzh.window[r] = b;
            r = (r + 1) & kMask;
            ++produced;
            continue;
        }
        const int from = (r - reader.DecodePosition() - 1) & kMask;
        const int length = c - 256 + S::kShortestMatch;
        for (int k = 0; k < length; ++k) {
            const std::uint8_t b = lzh.window[(from + k) & kMask];
            state.WriteOutputByte(b);
            lzh.window[r] = b;
            r = (r + 1) & kMask;
        }
        produced += length;
    }
    state.lzh.reset();
}

}  // namespace qv::compress
