#include "compress/lh5_decoder.h"

#include <algorithm>
#include <span>

#include "compress/archive_errors.h"

namespace qv::compress {

namespace {

using S = TLh5DecoderState;

class TLh5Reader {
  public:
    TLh5Reader(TCodecState& state, S& lh5) : state_(state), lh5_(lh5) {}

    std::uint32_t Peek() const { return lh5_.bitBuffer; }

    // Shifts the buffer left by n (0 to 16) and brings in the next n bits.
    // The bits of lastByte already in the buffer are ORed in again at the
    // same place, which leaves them unchanged.
    void Advance(int n) {
        lh5_.bitBuffer <<= n;
        while (n > lh5_.lastByteBits) {
            n -= lh5_.lastByteBits;
            lh5_.bitBuffer |= lh5_.lastByte << n;
            const std::uint8_t b = state_.ReadInputByte();
            lh5_.lastByte = state_.EndOfInput() ? 0 : b;
            lh5_.lastByteBits = 8;
        }
        lh5_.lastByteBits -= n;
        lh5_.bitBuffer = (lh5_.bitBuffer | (lh5_.lastByte >> lh5_.lastByteBits)) & 0xFFFF;
    }

    unsigned GetBits(int n) {
        const unsigned value = n == 0 ? 0 : lh5_.bitBuffer >> (16 - n);
        Advance(n);
        return value;
    }

    // Follows the tree below a table entry with the bits after the table's
    // index, most significant first. A valid table never needs more bits
    // than a 16-bit code has.
    unsigned Walk(unsigned j, unsigned alphabet, int tableBits) const {
        std::uint32_t mask = 1u << (15 - tableBits);
        while (j >= alphabet) {
            if (mask == 0) {
                throw ELZHBadDecodeTable();
            }
            j = (lh5_.bitBuffer & mask) ? lh5_.right[j] : lh5_.left[j];
            mask >>= 1;
        }
        return j;
    }

    // Builds a lookup table of 2^tableBits entries from canonical code
    // lengths (1 to 16; 0 means no code). Codes longer than the width hang
    // below their table slot as trees in left/right.
    void MakeTable(std::span<const std::uint8_t> lengths, int tableBits,
                   std::span<std::uint16_t> table) {
        const auto alphabet = static_cast<unsigned>(lengths.size());
        // The lengths must fill the code space exactly; no code at all is
        // let through and decodes as symbol 0 of no bits.
        std::array<std::uint32_t, 18> start = Lh5CodeStarts(lengths);
        const std::uint32_t total = start[17];
        const std::uint32_t tableSize = 1u << tableBits;
        if (total == 0) {
            std::fill(table.begin(), table.end(), 0);
            return;
        }
        if (total != 0x10000) {
            throw ELZHBadDecodeTable();
        }
        const int jut = 16 - tableBits;
        std::array<std::uint32_t, 18> weight{};
        for (int len = 1; len <= tableBits; ++len) {
            start[len] >>= jut;
            weight[len] = 1u << (tableBits - len);
        }
        for (int len = tableBits + 1; len <= 16; ++len) {
            weight[len] = 1u << (16 - len);
        }
        const std::uint32_t longFrom = start[tableBits + 1] >> jut;
        if (longFrom < tableSize) {
            std::fill(table.begin() + longFrom, table.end(), 0);
        }
        unsigned avail = alphabet;
        const std::uint32_t mask = 1u << (15 - tableBits);
        for (unsigned ch = 0; ch < alphabet; ++ch) {
            const int len = lengths[ch];
            if (len == 0) {
                continue;
            }
            const std::uint32_t next = start[len] + weight[len];
            if (len <= tableBits) {
                if (next > tableSize) {
                    throw ELZHBadDecodeTable();
                }
                std::fill(table.begin() + start[len], table.begin() + next,
                          static_cast<std::uint16_t>(ch));
            } else {
                std::uint32_t k = start[len];
                if ((k >> jut) >= tableSize) {
                    throw ELZHBadDecodeTable();
                }
                std::uint16_t* slot = &table[k >> jut];
                for (int i = len - tableBits; i > 0; --i) {
                    if (*slot == 0) {
                        if (avail >= 2 * alphabet) {
                            throw ELZHBadDecodeTable();
                        }
                        lh5_.left[avail] = lh5_.right[avail] = 0;
                        *slot = static_cast<std::uint16_t>(avail++);
                    }
                    slot = (k & mask) ? &lh5_.right[*slot] : &lh5_.left[*slot];
                    k <<= 1;
                }
                *slot = static_cast<std::uint16_t>(ch);
            }
            start[len] = next;
        }
    }

    // Lengths of a short alphabet (code lengths or distances). Each is 3
    // bits; 7 is extended by a run of 1 bits ended by a 0. After the length
    // at `special`, 2 bits give a number of zero lengths that follow.
    void ReadShortLengths(int n, int fieldBits, int special) {
        const auto lengths = std::span(lh5_.shortLength).first(static_cast<std::size_t>(n));
        const int m = static_cast<int>(GetBits(fieldBits));
        if (m == 0) {
            const unsigned c = GetBits(fieldBits);
            if (c >= static_cast<unsigned>(n)) {
                throw ELZHBadDecodeTable();
            }
            std::fill(lh5_.shortLength.begin(), lh5_.shortLength.end(), 0);
            std::fill(lh5_.shortTable.begin(), lh5_.shortTable.end(),
                      static_cast<std::uint16_t>(c));
            return;
        }
        if (m > n) {
            throw ELZHBadDecodeTable();
        }
        int i = 0;
        while (i < m) {
            int c = static_cast<int>(Peek() >> 13);
            if (c == 7) {
                for (std::uint32_t bit = 1u << 12; (Peek() & bit) != 0; bit >>= 1) {
                    ++c;
                }
                if (c > S::kMaxCodeLength) {
                    throw ELZHBadDecodeTable();
                }
            }
            Advance(c < 7 ? 3 : c - 3);
            lengths[i++] = static_cast<std::uint8_t>(c);
            if (i == special) {
                const int zeros = static_cast<int>(GetBits(2));
                if (i + zeros > n) {
                    throw ELZHBadDecodeTable();
                }
                std::fill_n(lengths.begin() + i, zeros, 0);
                i += zeros;
            }
        }
        std::fill(lengths.begin() + i, lengths.end(), 0);
        MakeTable(lengths, S::kShortBits, lh5_.shortTable);
    }

    unsigned DecodeShort(unsigned alphabet) {
        unsigned j = lh5_.shortTable[Peek() >> (16 - S::kShortBits)];
        j = Walk(j, alphabet, S::kShortBits);
        Advance(lh5_.shortLength[j]);
        return j;
    }

    // Symbol lengths, coded with the code-length code: 0 is one zero
    // length, 1 is 3-18 zeros (4 more bits), 2 is 20-531 zeros (9 more
    // bits), and c above 2 is a length of c - 2.
    void ReadSymbolLengths() {
        auto& lengths = lh5_.symbolLength;
        const int m = static_cast<int>(GetBits(9));
        if (m == 0) {
            const unsigned c = GetBits(9);
            if (c >= S::kSymbols) {
                throw ELZHBadDecodeTable();
            }
            lengths.fill(0);
            lh5_.symbolTable.fill(static_cast<std::uint16_t>(c));
            return;
        }
        if (m > S::kSymbols) {
            throw ELZHBadDecodeTable();
        }
        int i = 0;
        while (i < m) {
            const unsigned c = DecodeShort(S::kCodeLengths);
            if (c <= 2) {
                int zeros = 1;
                if (c == 1) {
                    zeros = static_cast<int>(GetBits(4)) + 3;
                } else if (c == 2) {
                    zeros = static_cast<int>(GetBits(9)) + 20;
                }
                if (i + zeros > S::kSymbols) {
                    throw ELZHBadDecodeTable();
                }
                std::fill_n(lengths.begin() + i, zeros, 0);
                i += zeros;
            } else {
                lengths[i++] = static_cast<std::uint8_t>(c - 2);
            }
        }
        std::fill(lengths.begin() + i, lengths.end(), 0);
        MakeTable(lengths, S::kSymbolBits, lh5_.symbolTable);
    }

    unsigned DecodeSymbol() {
        if (lh5_.symbolsLeft == 0) {
            lh5_.symbolsLeft = static_cast<std::uint16_t>(GetBits(16));
            ReadShortLengths(S::kCodeLengths, 5, 3);
            ReadSymbolLengths();
            ReadShortLengths(S::kDistances, 4, -1);
        }
        --lh5_.symbolsLeft;
        unsigned j = lh5_.symbolTable[Peek() >> (16 - S::kSymbolBits)];
        j = Walk(j, S::kSymbols, S::kSymbolBits);
        Advance(lh5_.symbolLength[j]);
        return j;
    }

    // Distance class j: 0 is distance 0, otherwise 2^(j-1) plus j-1 bits.
    unsigned DecodeDistance() {
        const unsigned j = DecodeShort(S::kDistances);
        if (j == 0) {
            return 0;
        }
        return (1u << (j - 1)) + GetBits(static_cast<int>(j) - 1);
    }

  private:
    TCodecState& state_;
    S& lh5_;
};

}  // namespace

std::array<std::uint32_t, 18> Lh5CodeStarts(std::span<const std::uint8_t> lengths) {
    std::array<std::uint32_t, 18> count{};
    for (std::uint8_t len : lengths) {
        if (len > S::kMaxCodeLength) {
            throw ELZHBadDecodeTable();
        }
        ++count[len];
    }
    std::array<std::uint32_t, 18> start{};
    std::uint32_t total = 0;
    for (int len = 1; len <= S::kMaxCodeLength; ++len) {
        start[len] = total;
        total += count[len] << (16 - len);
    }
    start[17] = total;
    return start;
}

void Lh5Decode(TCodecState& state, std::int32_t byteCount) {
    if (byteCount <= 0) {
        return;
    }
    state.lh5 = std::make_unique<S>();
    S& lh5 = *state.lh5;
    TLh5Reader reader(state, lh5);
    reader.Advance(16);
    lh5.window.fill(' ');
    constexpr unsigned kMask = S::kWindowSize - 1;
    unsigned r = 0;
    for (std::int64_t produced = 0; produced < byteCount;) {
        const unsigned c = reader.DecodeSymbol();
        if (c <= 255) {
            lh5.window[r] = static_cast<std::uint8_t>(c);
            state.WriteOutputByte(static_cast<std::uint8_t>(c));
            r = (r + 1) & kMask;
            ++produced;
            continue;
        }
        const unsigned length = c - 253;
        const unsigned from = (r - reader.DecodeDistance() - 1) & kMask;
        produced += length;
        for (unsigned k = 0; k < length; ++k) {
            const std::uint8_t b = lh5.window[(from + k) & kMask];
            lh5.window[r] = b;
            state.WriteOutputByte(b);
            r = (r + 1) & kMask;
        }
    }
    state.lh5.reset();
}

}  // namespace qv::compress
