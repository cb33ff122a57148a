// Decoder of the LH5 method: LZSS over an 8192-byte window; literals, match
// lengths and distance classes are coded with canonical Huffman codes sent at
// the start of each block of symbols.
//
// Block layout, all fields most significant bit first:
//   16 bits  number of symbols in the block (0 means 65536)
//   code lengths of the code-length alphabet (19 values, count field 5 bits)
//   code lengths of the symbol alphabet (510 values, count field 9 bits),
//            each coded with the code-length code
//   code lengths of the distance alphabet (14 values, count field 4 bits)
//   the symbols; a match symbol is followed by its distance class and the
//            class's extra bits
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "compress/codec_state.h"

namespace qv::compress {

struct TLh5DecoderState {
    static constexpr int kWindowSize = 8192;
    static constexpr int kSymbols = 510;  // 0-255 bytes, 256-509 match lengths 3-256
    static constexpr int kDistances = 14;
    static constexpr int kCodeLengths = 19;
    static constexpr int kSymbolBits = 12;  // width of the symbol lookup table
    static constexpr int kShortBits = 8;    // width of the distance / code-length table
    static constexpr int kMaxCodeLength = 16;

    std::array<std::uint8_t, kWindowSize> window{};
    std::array<std::uint8_t, kSymbols> symbolLength{};
    std::array<std::uint16_t, 1 << kSymbolBits> symbolTable{};
    // Shared by the code-length alphabet and then the distance alphabet.
    std::array<std::uint8_t, kCodeLengths> shortLength{};
    std::array<std::uint16_t, 1 << kShortBits> shortTable{};
    // Tree nodes for codes longer than the table width, numbered from the
    // alphabet size up: symbol nodes 510-1019, short nodes below 2 x 19.
    std::array<std::uint16_t, 2 * kSymbols> left{};
    std::array<std::uint16_t, 2 * kSymbols> right{};

    std::uint32_t bitBuffer = 0;  // the next 16 bits of the stream
    std::uint32_t lastByte = 0;   // the input byte the low bits came from
    int lastByteBits = 0;         // bits of lastByte not yet in bitBuffer
    std::uint16_t symbolsLeft = 0;
};

// Canonical codes: start[L] is the first code of length L (1-16), left-
// aligned in 16 bits, codes of one length going to symbols in order; start[17]
// is the code space used, 10000h for a complete set. Lengths above 16 raise
// ELZHBadDecodeTable.
std::array<std::uint32_t, 18> Lh5CodeStarts(std::span<const std::uint8_t> lengths);

// Expands `byteCount` bytes (a last match may run past it) from the state's
// input to its output. Allocates state.lh5 for the entry. Code tables that
// cannot come from a valid stream raise ELZHBadDecodeTable; no damage makes
// it read or write outside its tables.
void Lh5Decode(TCodecState& state, std::int32_t byteCount);

}  // namespace qv::compress
