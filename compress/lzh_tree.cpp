#include "compress/lzh_tree.h"

#include <algorithm>

namespace qv::compress {

void TLzhTree::Init() {
    for (int s = 0; s < kSymbols; ++s) {
        frequency[s] = 1;
        child[s] = static_cast<std::int16_t>(s + kNodes);
        parent[s + kNodes] = static_cast<std::int16_t>(s);
    }
    for (int i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
        frequency[j] = static_cast<std::uint16_t>(frequency[i] + frequency[i + 1]);
        child[j] = static_cast<std::int16_t>(i);
        parent[i] = parent[i + 1] = static_cast<std::int16_t>(j);
    }
    frequency[kNodes] = 0xFFFF;
    parent[kRoot] = 0;
}

void TLzhTree::Rebuild() {
    // Leaves to the front, frequencies halved (rounded up, so none drops to 0).
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
        if (child[i] >= kNodes) {
            frequency[j] = static_cast<std::uint16_t>((frequency[i] + 1) / 2);
            child[j] = child[i];
            ++j;
        }
    }
    // Pair them again from the lowest; each new inner node goes after all
    // nodes of equal frequency.
    for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
        const auto f = static_cast<std::uint16_t>(frequency[i] + frequency[i + 1]);
        int k = n - 1;
        while (k >= 0 && f < frequency[k]) {
            --k;
        }
        ++k;
        std::copy_backward(frequency.begin() + k, frequency.begin() + n, frequency.begin() + n + 1);
        std::copy_backward(child.begin() + k, child.begin() + n, child.begin() + n + 1);
        frequency[k] = f;
        child[k] = static_cast<std::int16_t>(i);
    }
    for (int i = 0; i < kNodes; ++i) {
        const int k = child[i];
        parent[k] = static_cast<std::int16_t>(i);
        if (k < kNodes) {
            parent[k + 1] = static_cast<std::int16_t>(i);
        }
    }
}

void TLzhTree::Update(int symbol) {
    if (frequency[kRoot] == kRebuildAt) {
        Rebuild();
    }
    int c = parent[symbol + kNodes];
    do {
        const std::uint16_t k = ++frequency[c];
        if (k > frequency[c + 1]) {
            // Swap with the last node of the run that now has a lower frequency.
            int l = c + 1;
            while (k > frequency[l + 1]) {
                ++l;
            }
            frequency[c] = frequency[l];
            frequency[l] = k;
            const int i = child[c];
            parent[i] = static_cast<std::int16_t>(l);
            if (i < kNodes) {
                parent[i + 1] = static_cast<std::int16_t>(l);
            }
            const int j = child[l];
            child[l] = static_cast<std::int16_t>(i);
            parent[j] = static_cast<std::int16_t>(c);
            if (j < kNodes) {
                parent[j + 1] = static_cast<std::int16_t>(c);
            }
            child[c] = static_cast<std::int16_t>(j);
            c = l;
        }
        c = parent[c];
    } while (c != 0);
}

namespace {

TLzhPositionCode MakePositionCode() {
    // How many values of u get a code of each length 3 to 8.
    constexpr std::array<int, 6> kCountPerLength = {1, 3, 8, 12, 24, 16};
    TLzhPositionCode pc;
    int u = 0;
    unsigned code = 0;  // next code, right-aligned in `length` bits
    for (int length = 3; length <= 8; ++length) {
        for (int n = 0; n < kCountPerLength[length - 3]; ++n, ++u, ++code) {
            pc.code[u] = static_cast<std::uint8_t>(code);
            pc.codeLength[u] = static_cast<std::uint8_t>(length);
            const unsigned first = code << (8 - length);
            for (unsigned i = first; i < first + (1u << (8 - length)); ++i) {
                pc.upper[i] = static_cast<std::uint8_t>(u);
                pc.length[i] = static_cast<std::uint8_t>(length);
            }
        }
        code <<= 1;
    }
    return pc;
}

}  // namespace

const TLzhPositionCode& LzhPositionCode() {
    static const TLzhPositionCode kCode = MakePositionCode();
    return kCode;
}

}  // namespace qv::compress
