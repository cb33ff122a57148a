// Longest-match search for the LZSS compressors, keyed by the first three
// bytes of the look-ahead through hash chains over a sliding window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qv::compress {

class TMatchFinder {
  public:
    struct TMatch {
        std::size_t length = 0;
        std::size_t distance = 0;  // how far back the source starts, at least 1
    };

    // `history` holds the bytes the decoder's window starts with, then the
    // data; it must outlive the finder. Matches reach at most `window` bytes
    // back and are at most `maxLength` long.
    TMatchFinder(std::span<const std::uint8_t> history, std::size_t window, std::size_t maxLength);

    // The bytes a compressor searches: `fill` repeated `count` times (the
    // decoder's initial window), then `data`.
    static std::vector<std::uint8_t> History(std::size_t count, std::uint8_t fill,
                                             std::span<const std::uint8_t> data);

    TMatch Find(std::size_t pos) const;
    // Makes `pos` available as a source for later positions.
    void Insert(std::size_t pos);

  private:
    static constexpr std::size_t kHashBits = 15;
    static constexpr std::size_t kRingSize = 16384;  // at least twice any window
    static constexpr int kChainLimit = 48;

    std::size_t Hash(std::size_t pos) const;

    std::span<const std::uint8_t> history_;
    std::size_t window_;
    std::size_t maxLength_;
    std::vector<std::int64_t> head_;
    std::vector<std::int64_t> previous_;
};

}  // namespace qv::compress
