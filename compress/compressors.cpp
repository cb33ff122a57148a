#include "compress/compressors.h"

#include <stdexcept>

#include "compress/basic_methods.h"

namespace qv::compress {

// Runs of 3 to 255 equal bytes become the byte, the marker and the count;
// longer runs are cut at 255, each piece starting with its own literal, so
// no run ever directly follows another. The marker byte never starts a run.
std::vector<std::uint8_t> CompressRle(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + data.size() / 8);
    std::size_t i = 0;
    while (i < data.size()) {
        const std::uint8_t b = data[i];
        if (b == kRleMarker) {
            out.push_back(kRleMarker);
            out.push_back(0);
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (run < 255 && i + run < data.size() && data[i + run] == b) {
            ++run;
        }
        if (run >= 3) {
            out.push_back(b);
            out.push_back(kRleMarker);
            out.push_back(static_cast<std::uint8_t>(run));
        } else {
            out.insert(out.end(), run, b);
        }
        i += run;
    }
    return out;
}

std::vector<std::uint8_t> Compress(TMethod method, std::span<const std::uint8_t> data) {
    switch (method) {
        case TMethod::Stored:
            return {data.begin(), data.end()};
        case TMethod::RunLength:
            return CompressRle(data);
        case TMethod::Lzh:
            return CompressLzh(data);
        case TMethod::Lh5:
            return CompressLh5(data);
        case TMethod::Custom:
            break;
    }
    throw std::invalid_argument("no built-in compressor for this method");
}

}  // namespace qv::compress
