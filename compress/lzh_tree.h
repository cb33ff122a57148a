// The adaptive Huffman tree of the LZH method and its fixed position code,
// shared by the decoder and the compressor: both sides must update and
// rebuild the tree in exactly the same way after every symbol.
//
// Nodes are kept in order of frequency in one array; node 626 is the root.
// A node's children sit side by side at child[n] and child[n] + 1; a child
// entry of 627 or more holds a leaf, symbol = entry - 627.
#pragma once

#include <array>
#include <cstdint>

namespace qv::compress {

struct TLzhTree {
    static constexpr int kSymbols = 314;  // 0-255 bytes, 256-313 match lengths 3-60
    static constexpr int kNodes = 2 * kSymbols - 1;
    static constexpr int kRoot = kNodes - 1;
    static constexpr std::uint16_t kRebuildAt = 0x8000;

    std::array<std::uint16_t, kNodes + 1> frequency{};  // [kNodes] is a sentinel
    std::array<std::int16_t, kNodes> child{};
    std::array<std::int16_t, kNodes + kSymbols> parent{};  // [kNodes + s]: node holding s

    void Init();
    // Counts one more occurrence of `symbol`, keeping the nodes ordered.
    void Update(int symbol);

  private:
    void Rebuild();
};

// The fixed prefix code for the upper six bits u of a match position, read
// from the next eight input bits: codes are 3 to 8 bits long, assigned to u
// in increasing order.
struct TLzhPositionCode {
    std::array<std::uint8_t, 256> upper{};   // u, indexed by the next eight bits
    std::array<std::uint8_t, 256> length{};  // length of u's code, same index
    std::array<std::uint8_t, 64> code{};     // u's code, right-aligned
    std::array<std::uint8_t, 64> codeLength{};
};

const TLzhPositionCode& LzhPositionCode();

}  // namespace qv::compress
