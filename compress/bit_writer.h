// Packs bit fields most significant bit first, the order in which the LZH
// and LH5 decoders read them.
#pragma once

#include <cstdint>
#include <vector>

namespace qv::compress {

class TBitWriter {
  public:
    // Appends the low n bits of value (n from 0 to 24).
    void Put(std::uint32_t value, int n) {
        if (n == 0) {
            return;
        }
        pending_ = (pending_ << n) | (value & ((1u << n) - 1));
        count_ += n;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(pending_ >> count_));
        }
        pending_ &= (1u << count_) - 1;
    }

    // The bytes written, the last one padded with 0 bits.
    std::vector<std::uint8_t> Finish() {
        if (count_ > 0) {
            out_.push_back(static_cast<std::uint8_t>(pending_ << (8 - count_)));
            count_ = 0;
            pending_ = 0;
        }
        return std::move(out_);
    }

  private:
    std::vector<std::uint8_t> out_;
    std::uint32_t pending_ = 0;
    int count_ = 0;
};

}  // namespace qv::compress
