#include "compress/match_finder.h"

#include <algorithm>

namespace qv::compress {

TMatchFinder::TMatchFinder(std::span<const std::uint8_t> history, std::size_t window,
                           std::size_t maxLength)
    : history_(history),
      window_(window),
      maxLength_(maxLength),
      head_(std::size_t{1} << kHashBits, -1),
      previous_(kRingSize, -1) {}

std::vector<std::uint8_t> TMatchFinder::History(std::size_t count, std::uint8_t fill,
                                                std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> history(count + data.size(), fill);
    std::copy(data.begin(), data.end(), history.begin() + static_cast<std::ptrdiff_t>(count));
    return history;
}

std::size_t TMatchFinder::Hash(std::size_t pos) const {
    const std::uint32_t key = static_cast<std::uint32_t>(history_[pos]) << 16 |
                              static_cast<std::uint32_t>(history_[pos + 1]) << 8 |
                              history_[pos + 2];
    return (key * 2654435761u) >> (32 - kHashBits);
}

void TMatchFinder::Insert(std::size_t pos) {
    if (pos + 3 > history_.size()) {
        return;
    }
    const std::size_t h = Hash(pos);
    previous_[pos % kRingSize] = head_[h];
    head_[h] = static_cast<std::int64_t>(pos);
}

TMatchFinder::TMatch TMatchFinder::Find(std::size_t pos) const {
    TMatch best;
    if (pos + 3 > history_.size()) {
        return best;
    }
    const std::size_t limit = std::min(maxLength_, history_.size() - pos);
    std::int64_t candidate = head_[Hash(pos)];
    for (int chain = kChainLimit; chain > 0 && candidate >= 0; --chain) {
        const auto source = static_cast<std::size_t>(candidate);
        if (source >= pos || pos - source > window_) {
            break;
        }
        std::size_t length = 0;
        while (length < limit && history_[source + length] == history_[pos + length]) {
            ++length;
        }
        if (length > best.length) {
            best = {length, pos - source};
            if (length == limit) {
                break;
            }
        }
        candidate = previous_[source % kRingSize];
    }
    return best;
}

}  // namespace qv::compress
