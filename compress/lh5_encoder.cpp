#include <algorithm>
#include <bit>
#include <queue>
#include <vector>

#include "compress/bit_writer.h"
#include "compress/compressors.h"
#include "compress/lh5_decoder.h"
#include "compress/match_finder.h"

namespace qv::compress {

namespace {

using S = TLh5DecoderState;

constexpr std::size_t kBlockSymbols = 65536;  // sent as 0 in the 16-bit count
constexpr std::size_t kLongestMatch = 256;
constexpr std::size_t kShortestMatch = 3;

struct TToken {
    std::uint16_t symbol;
    std::uint16_t distance;  // for a match: how far back minus one, 0-8191
};

unsigned DistanceClass(unsigned distance) {
    return static_cast<unsigned>(std::bit_width(distance));
}

// Huffman code lengths no longer than `limit`. Frequencies are halved until
// the tree is shallow enough. Unused symbols get length 0.
std::vector<std::uint8_t> CodeLengths(std::vector<std::uint32_t> frequency, int limit) {
    const std::size_t n = frequency.size();
    for (;;) {
        using TItem = std::pair<std::uint64_t, std::size_t>;
        std::priority_queue<TItem, std::vector<TItem>, std::greater<>> queue;
        std::vector<std::size_t> parent(2 * n, 0);
        for (std::size_t s = 0; s < n; ++s) {
            if (frequency[s] > 0) {
                queue.emplace(frequency[s], s);
            }
        }
        std::size_t next = n;
        while (queue.size() > 1) {
            const TItem a = queue.top();
            queue.pop();
            const TItem b = queue.top();
            queue.pop();
            parent[a.second] = parent[b.second] = next;
            queue.emplace(a.first + b.first, next++);
        }
        std::vector<std::uint8_t> lengths(n, 0);
        std::vector<int> depth(2 * n, 0);
        int deepest = 0;
        for (std::size_t node = next; node-- > n;) {
            if (node + 1 < next) {
                depth[node] = depth[parent[node]] + 1;
            }
        }
        for (std::size_t s = 0; s < n; ++s) {
            if (frequency[s] > 0) {
                depth[s] = depth[parent[s]] + 1;
                deepest = std::max(deepest, depth[s]);
                lengths[s] = static_cast<std::uint8_t>(std::min(depth[s], 255));
            }
        }
        if (deepest <= limit) {
            return lengths;
        }
        for (std::uint32_t& f : frequency) {
            f = f == 0 ? 0 : (f + 1) / 2;
        }
    }
}

// Canonical codes in the order the decoder's table builder assigns them.
std::vector<std::uint16_t> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
    std::array<std::uint32_t, 18> start = Lh5CodeStarts(lengths);
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        const int len = lengths[s];
        if (len > 0) {
            codes[s] = static_cast<std::uint16_t>(start[len] >> (16 - len));
            start[len] += 1u << (16 - len);
        }
    }
    return codes;
}

// A code for one alphabet: lengths and codes, or the single symbol that is
// sent with no bits at all when the block uses at most one.
struct TCode {
    std::vector<std::uint8_t> lengths;
    std::vector<std::uint16_t> codes;
    int single = -1;

    void Put(TBitWriter& out, unsigned symbol) const {
        if (single < 0) {
            out.Put(codes[symbol], lengths[symbol]);
        }
    }
};

TCode MakeCode(const std::vector<std::uint32_t>& frequency) {
    TCode code;
    const auto used =
        std::count_if(frequency.begin(), frequency.end(), [](std::uint32_t f) { return f > 0; });
    if (used <= 1) {
        const auto it =
            std::find_if(frequency.begin(), frequency.end(), [](std::uint32_t f) { return f > 0; });
        code.single = it == frequency.end() ? 0 : static_cast<int>(it - frequency.begin());
        return code;
    }
    code.lengths = CodeLengths(frequency, S::kMaxCodeLength);
    code.codes = CanonicalCodes(code.lengths);
    return code;
}

std::size_t TrimmedCount(const std::vector<std::uint8_t>& lengths) {
    std::size_t m = lengths.size();
    while (m > 0 && lengths[m - 1] == 0) {
        --m;
    }
    return m;
}

// Lengths of a short alphabet: 3 bits each, 7 and above as 7 plus a run of
// 1 bits closed by a 0; after the length at `special`, 2 bits count the
// zero lengths that follow (up to 3).
void PutShortLengths(TBitWriter& out, const TCode& code, int fieldBits, std::size_t special) {
    if (code.single >= 0) {
        out.Put(0, fieldBits);
        out.Put(static_cast<std::uint32_t>(code.single), fieldBits);
        return;
    }
    const std::size_t m = TrimmedCount(code.lengths);
    out.Put(static_cast<std::uint32_t>(m), fieldBits);
    std::size_t i = 0;
    while (i < m) {
        const int c = code.lengths[i++];
        if (c < 7) {
            out.Put(static_cast<std::uint32_t>(c), 3);
        } else {
            out.Put(7, 3);
            out.Put(((1u << (c - 7)) - 1) << 1, c - 6);
        }
        if (i == special) {
            std::size_t zeros = 0;
            while (zeros < 3 && i + zeros < code.lengths.size() && code.lengths[i + zeros] == 0) {
                ++zeros;
            }
            out.Put(static_cast<std::uint32_t>(zeros), 2);
            i += zeros;
        }
    }
}

// The symbol lengths as code-length symbols: c above 2 is length c - 2;
// zero runs use 0 (one), 1 (3-18, 4 extra bits) and 2 (20-531, 9 extra bits).
struct TLengthToken {
    std::uint8_t symbol;
    std::uint16_t extra;
};

std::vector<TLengthToken> LengthTokens(const std::vector<std::uint8_t>& lengths) {
    std::vector<TLengthToken> tokens;
    const std::size_t m = TrimmedCount(lengths);
    std::size_t i = 0;
    while (i < m) {
        if (lengths[i] != 0) {
            tokens.push_back({static_cast<std::uint8_t>(lengths[i] + 2), 0});
            ++i;
            continue;
        }
        std::size_t run = 0;
        while (i + run < m && lengths[i + run] == 0) {
            ++run;
        }
        i += run;
        if (run <= 2) {
            tokens.insert(tokens.end(), run, TLengthToken{0, 0});
        } else if (run <= 18) {
            tokens.push_back({1, static_cast<std::uint16_t>(run - 3)});
        } else if (run == 19) {
            tokens.push_back({0, 0});
            tokens.push_back({1, 15});
        } else {
            tokens.push_back({2, static_cast<std::uint16_t>(run - 20)});
        }
    }
    return tokens;
}

void PutBlock(TBitWriter& out, std::span<const TToken> tokens) {
    std::vector<std::uint32_t> symbolFrequency(S::kSymbols, 0);
    std::vector<std::uint32_t> distanceFrequency(S::kDistances, 0);
    for (const TToken& t : tokens) {
        ++symbolFrequency[t.symbol];
        if (t.symbol > 255) {
            ++distanceFrequency[DistanceClass(t.distance)];
        }
    }
    const TCode symbols = MakeCode(symbolFrequency);
    const TCode distances = MakeCode(distanceFrequency);

    out.Put(static_cast<std::uint32_t>(tokens.size() & 0xFFFF), 16);
    if (symbols.single >= 0) {
        // The code-length code is still sent, though nothing uses it.
        PutShortLengths(out, TCode{{}, {}, 0}, 5, 3);
        out.Put(0, 9);
        out.Put(static_cast<std::uint32_t>(symbols.single), 9);
    } else {
        const std::vector<TLengthToken> lengthTokens = LengthTokens(symbols.lengths);
        std::vector<std::uint32_t> lengthFrequency(S::kCodeLengths, 0);
        for (const TLengthToken& t : lengthTokens) {
            ++lengthFrequency[t.symbol];
        }
        const TCode lengthCode = MakeCode(lengthFrequency);
        PutShortLengths(out, lengthCode, 5, 3);
        out.Put(static_cast<std::uint32_t>(TrimmedCount(symbols.lengths)), 9);
        for (const TLengthToken& t : lengthTokens) {
            lengthCode.Put(out, t.symbol);
            if (t.symbol == 1) {
                out.Put(t.extra, 4);
            } else if (t.symbol == 2) {
                out.Put(t.extra, 9);
            }
        }
    }
    PutShortLengths(out, distances, 4, 0);

    for (const TToken& t : tokens) {
        symbols.Put(out, t.symbol);
        if (t.symbol > 255) {
            const unsigned j = DistanceClass(t.distance);
            distances.Put(out, j);
            if (j > 1) {
                out.Put(t.distance - (1u << (j - 1)), static_cast<int>(j) - 1);
            }
        }
    }
}

}  // namespace

std::vector<std::uint8_t> CompressLh5(std::span<const std::uint8_t> data) {
    // The decoder's window starts full of spaces, all of them usable.
    const std::vector<std::uint8_t> history = TMatchFinder::History(S::kWindowSize, ' ', data);
    TMatchFinder finder(history, S::kWindowSize, kLongestMatch);
    for (std::size_t pos = 0; pos < S::kWindowSize; ++pos) {
        finder.Insert(pos);
    }
    TBitWriter out;
    std::vector<TToken> block;
    block.reserve(kBlockSymbols);
    std::size_t pos = S::kWindowSize;
    while (pos < history.size()) {
        const TMatchFinder::TMatch match = finder.Find(pos);
        std::size_t advance = 1;
        if (match.length >= kShortestMatch) {
            block.push_back({static_cast<std::uint16_t>(match.length + 253),
                             static_cast<std::uint16_t>(match.distance - 1)});
            advance = match.length;
        } else {
            block.push_back({history[pos], 0});
        }
        for (std::size_t k = 0; k < advance; ++k) {
            finder.Insert(pos + k);
        }
        pos += advance;
        if (block.size() == kBlockSymbols) {
            PutBlock(out, block);
            block.clear();
        }
    }
    if (!block.empty()) {
        PutBlock(out, block);
    }
    return out.Finish();
}

}  // namespace qv::compress
