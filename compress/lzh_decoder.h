// Decoder of the LZH method: LZSS over a 4096-byte window, literals and
// match lengths coded with an adaptive Huffman tree, match positions with a
// fixed prefix code for their upper six bits followed by six plain bits.
#pragma once

#include <array>
#include <cstdint>

#include "compress/codec_state.h"
#include "compress/lzh_tree.h"

namespace qv::compress {

struct TLzhDecoderState {
    static constexpr int kWindowSize = 4096;
    static constexpr int kLongestMatch = 60;
    static constexpr int kShortestMatch = 3;
    // The window starts with spaces up to here; the first byte goes here.
    static constexpr int kStartPosition = kWindowSize - kLongestMatch;

    TLzhTree tree;
    std::array<std::uint8_t, kWindowSize + kLongestMatch> window{};
    std::uint16_t bitBuffer = 0;  // pending bits, left-aligned
    std::uint8_t bitCount = 0;
};

// Expands `byteCount` bytes (a last match may run past it) from the state's
// input to its output. Allocates state.lzh for the entry; damaged data give
// wrong bytes, never an access outside the tables.
void LzhDecode(TCodecState& state, std::int32_t byteCount);

}  // namespace qv::compress
